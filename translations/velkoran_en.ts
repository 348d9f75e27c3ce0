<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>FileBuffers</name>
    <message>
        <source>ファイルバッファ</source>
        <translation>File buffer</translation>
    </message>
    <message>
        <source>%1番バッファ</source>
        <translation>Buffer %1</translation>
    </message>
</context>
<context>
    <name>TForm_Main</name>
    <message>
        <source>行</source>
        <translation>Go</translation>
    </message>
    <message>
        <source>探</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>ファイルバッファ</source>
        <translation>File buffer</translation>
    </message>
    <message>
        <source>処理ログ</source>
        <translation>Log</translation>
    </message>
</context>
<context>
    <name>WindowActions</name>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>削除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>完全に削除</source>
        <translation>Delete permanently</translation>
    </message>
    <message>
        <source>全て選択</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>名前変更</source>
        <translation>Rename</translation>
    </message>
    <message>
        <source>ディレクトリ作成</source>
        <translation>New directory</translation>
    </message>
    <message>
        <source>バッファからファイル移動</source>
        <translation>Move here from buffer</translation>
    </message>
    <message>
        <source>バッファからコピー</source>
        <translation>Copy here from buffer</translation>
    </message>
    <message>
        <source>バッファに追加</source>
        <translation>Add to buffer</translation>
    </message>
    <message>
        <source>選択アイテムをバッファに追加</source>
        <translation>Add selection to buffer</translation>
    </message>
    <message>
        <source>%1番バッファに追加</source>
        <translation>Add to buffer %1</translation>
    </message>
    <message>
        <source>親ディレクトリに行く</source>
        <translation>Go to parent directory</translation>
    </message>
    <message>
        <source>ファイルリスト更新</source>
        <translation>Refresh file list</translation>
    </message>
    <message>
        <source>端末をここで開く</source>
        <translation>Open terminal here</translation>
    </message>
    <message>
        <source>ショートカットに追加</source>
        <translation>Add to shortcuts</translation>
    </message>
    <message>
        <source>ツリー更新</source>
        <translation>Refresh tree</translation>
    </message>
    <message>
        <source>ツリーを全て閉じる</source>
        <translation>Collapse whole tree</translation>
    </message>
    <message>
        <source>%1番バッファ</source>
        <translation>Buffer %1</translation>
    </message>
    <message>
        <source>全削除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>バッファのファイルを削除</source>
        <translation>Delete files in buffer</translation>
    </message>
    <message>
        <source>バッファのファイルを完全に削除</source>
        <translation>Delete files in buffer permanently</translation>
    </message>
    <message>
        <source>新規タブ作成</source>
        <translation>New tab</translation>
    </message>
    <message>
        <source>タブ削除</source>
        <translation>Close tab</translation>
    </message>
    <message>
        <source>タブ変更</source>
        <translation>Switch tab</translation>
    </message>
    <message>
        <source>ロケーションバーに移動</source>
        <translation>Go to location bar</translation>
    </message>
    <message>
        <source>ツリーに移動</source>
        <translation>Go to tree</translation>
    </message>
    <message>
        <source>ファイルリストに移動</source>
        <translation>Go to file list</translation>
    </message>
    <message>
        <source>ファイルバッファに移動</source>
        <translation>Go to file buffer</translation>
    </message>
    <message>
        <source>処理中止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>再描画</source>
        <translation>Redraw</translation>
    </message>
    <message>
        <source>選択ディレクトリをバッファに追加</source>
        <translation>Add selected directory to buffer</translation>
    </message>
    <message>
        <source>ショートカット</source>
        <translation>Shortcuts</translation>
    </message>
    <message>
        <source>スクリプト</source>
        <translation>Scripts</translation>
    </message>
    <message>
        <source>ディレクトリサイズ調査</source>
        <translation>Directory size</translation>
    </message>
    <message>
        <source>アプリケーションで開く</source>
        <translation>Open with</translation>
    </message>
    <message>
        <source>ランチャーに追加</source>
        <translation>Add to launcher</translation>
    </message>
    <message>
        <source>選択アイテムをバッファに追加(単一)</source>
        <translation>Add focused item to buffer</translation>
    </message>
    <message>
        <source>ファイルバッファから削除</source>
        <translation>Remove from file buffer</translation>
    </message>
    <message>
        <source>ファイルバッファから全削除</source>
        <translation>Clear file buffer</translation>
    </message>
    <message>
        <source>イベント用ダミー</source>
        <translation>(event placeholder)</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>ツリー表示</source>
        <translation>Show tree</translation>
    </message>
    <message>
        <source>ファイルリストにディレクトリを表示</source>
        <translation>Show directories in file list</translation>
    </message>
    <message>
        <source>上書き確認をしない</source>
        <translation>Overwrite without asking</translation>
    </message>
    <message>
        <source>自動でツリーを開く</source>
        <translation>Expand tree automatically</translation>
    </message>
    <message>
        <source>スクリプトメニュー更新</source>
        <translation>Refresh script menus</translation>
    </message>
    <message>
        <source>スクリプトダミー</source>
        <translation>(script placeholder)</translation>
    </message>
    <message>
        <source>タブショートカット</source>
        <translation>Tab shortcuts</translation>
    </message>
    <message>
        <source>(アプリケーションがありません)</source>
        <translation>(no application)</translation>
    </message>
</context>
<context>
    <name>WindowLogic</name>
    <message>
        <source>ディレクトリ名変更失敗: </source>
        <translation>Renaming the directory failed: </translation>
    </message>
    <message>
        <source>開くアプリケーションがありません: </source>
        <translation>No application opens: </translation>
    </message>
    <message>
        <source>FindNodeFromPath失敗。</source>
        <translation>Directory not found in the tree.</translation>
    </message>
    <message>
        <source>リネーム失敗。</source>
        <translation>Rename failed.</translation>
    </message>
    <message>
        <source>ディレクトリ作成</source>
        <translation>New directory</translation>
    </message>
    <message>
        <source>作成ディレクトリ名を入力してください。</source>
        <translation>Enter the name of the new directory.</translation>
    </message>
    <message>
        <source>ディレクトリ作成失敗。</source>
        <translation>Creating the directory failed.</translation>
    </message>
    <message>
        <source>ランチャー追加失敗: </source>
        <translation>Adding to the launcher failed: </translation>
    </message>
    <message>
        <source>ショートカット追加</source>
        <translation>Add shortcut</translation>
    </message>
    <message>
        <source>ショートカット名を入力してください。</source>
        <translation>Enter a name for the shortcut.</translation>
    </message>
    <message>
        <source>ショートカット名に , は使えません。</source>
        <translation>A shortcut name cannot contain &quot;,&quot;.</translation>
    </message>
    <message>
        <source>・・・・</source>
        <translation>....</translation>
    </message>
    <message>
        <source>を移動しますか？</source>
        <translation>Move these here?</translation>
    </message>
    <message>
        <source>移動確認</source>
        <translation>Confirm move</translation>
    </message>
</context>
<context>
    <name>platform</name>
    <message>
        <source>コピー</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>移動</source>
        <translation>Move</translation>
    </message>
    <message>
        <source>リンク</source>
        <translation>Link</translation>
    </message>
    <message>
        <source>の準備中。</source>
        <translation>: preparing.</translation>
    </message>
    <message>
        <source>の準備完了。</source>
        <translation>: prepared.</translation>
    </message>
    <message>
        <source>総サイズ：</source>
        <translation>Total size: </translation>
    </message>
    <message>
        <source>ディレクトリ作成失敗: </source>
        <translation>Creating the directory failed: </translation>
    </message>
    <message>
        <source>失敗: </source>
        <translation> failed: </translation>
    </message>
    <message>
        <source>失敗。</source>
        <translation>: failed.</translation>
    </message>
    <message>
        <source>完了。</source>
        <translation>: done.</translation>
    </message>
    <message>
        <source>中止: </source>
        <translation> stopped: </translation>
    </message>
    <message>
        <source>中止。</source>
        <translation>: stopped.</translation>
    </message>
    <message>
        <source>フォルダをそれ自身の中には入れられません: </source>
        <translation>A folder cannot go into itself: </translation>
    </message>
    <message>
        <source>残り %1</source>
        <translation>%1 left</translation>
    </message>
    <message>
        <source>%1 を %2 で転送しました (%3)</source>
        <translation>Transferred %1 in %2 (%3)</translation>
    </message>
    <message>
        <source>上書き確認</source>
        <translation>Confirm overwrite</translation>
    </message>
    <message>
        <source>を上書きしますか？
*この後上書き確認しない場合は[キャンセル]を*</source>
        <translation>
Overwrite?
*[Cancel] overwrites this and every later one without asking*</translation>
    </message>
    <message>
        <source>削除確認</source>
        <translation>Confirm delete</translation>
    </message>
    <message>
        <source>・・・・</source>
        <translation>....</translation>
    </message>
    <message>
        <source>を削除しますか？</source>
        <translation>Delete these?</translation>
    </message>
    <message>
        <source>削除:</source>
        <translation>Deleting: </translation>
    </message>
    <message>
        <source>（</source>
        <translation>(</translation>
    </message>
    <message>
        <source> 項目</source>
        <translation> entries</translation>
    </message>
    <message>
        <source>。フォルダ %1 個は中身ごと削除されます</source>
        <translation>; %1 folders are deleted with their contents</translation>
    </message>
    <message>
        <source>。フォルダ %1 個は中身ごとごみ箱に移動します</source>
        <translation>; %1 folders go to the trash with their contents</translation>
    </message>
    <message>
        <source>）</source>
        <translation>)</translation>
    </message>
    <message>
        <source>削除失敗:</source>
        <translation>Delete failed: </translation>
    </message>
    <message>
        <source>削除失敗</source>
        <translation>Delete failed</translation>
    </message>
    <message>
        <source>削除成功</source>
        <translation>Delete succeeded</translation>
    </message>
    <message>
        <source>をごみ箱に移動しますか？</source>
        <translation>Move these to the trash?</translation>
    </message>
    <message>
        <source>ごみ箱を使えないため、完全に削除します。</source>
        <translation>No trash can take them: they will be deleted permanently.</translation>
    </message>
    <message>
        <source>ごみ箱を使えないため、次の項目は完全に削除します:</source>
        <translation>No trash can take these, they will be deleted permanently:</translation>
    </message>
    <message>
        <source>ごみ箱へ移動:</source>
        <translation>To the trash: </translation>
    </message>
    <message>
        <source>ごみ箱を使えません:</source>
        <translation>Trash unavailable: </translation>
    </message>
    <message>
        <source>ごみ箱への移動失敗:</source>
        <translation>Moving to the trash failed: </translation>
    </message>
    <message>
        <source>ディレクトリサイズ調査開始。</source>
        <translation>Directory size survey started.</translation>
    </message>
    <message>
        <source>ディレクトリサイズ調査中止。</source>
        <translation>Directory size survey stopped.</translation>
    </message>
    <message>
        <source>ファイル数 : </source>
        <translation>Files: </translation>
    </message>
    <message>
        <source> ディレクトリ数 : </source>
        <translation> Directories: </translation>
    </message>
    <message>
        <source> サイズ : </source>
        <translation> Size: </translation>
    </message>
    <message>
        <source>名前</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>サイズ</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>パス</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>アプリケーションを起動できません: </source>
        <translation>Cannot start the application: </translation>
    </message>
    <message>
        <source>端末を起動できません: </source>
        <translation>Cannot start the terminal: </translation>
    </message>
</context>
<context>
    <name>std</name>
    <message>
        <source>サンプルスクリプトを置きました: </source>
        <translation>Sample scripts placed in: </translation>
    </message>
    <message>
        <source>選択項目から生成した前置き</source>
        <translation>prefix generated from the selection</translation>
    </message>
    <message>
        <source>スクリプトファイルを開けません: </source>
        <translation>Cannot open the script file: </translation>
    </message>
</context>
<context>
    <name>velkoran::app</name>
    <message>
        <source>読み込みを省略: </source>
        <translation>Not read: </translation>
    </message>
</context>
</TS>
