// The texts the file operations show, written here in UTF-8 and handed out in the system
// code page, so that log lines and questions join file names byte for byte.
#pragma once

#include <string>
#include <string_view>

namespace velkoran::fileops::messages {

// The text in the active code page.
std::string Local(std::string_view utf8);

// Names of the operations in log lines (code 1, 2, 4; any other code has an empty name).
inline constexpr std::string_view kCopy = "コピー";
inline constexpr std::string_view kMove = "移動";
inline constexpr std::string_view kLink = "リンク";

// Transfer.
inline constexpr std::string_view kPreparing = "の準備中。";
inline constexpr std::string_view kPrepared = "の準備完了。";
inline constexpr std::string_view kTotalSize = "総サイズ：";
inline constexpr std::string_view kDirectoryCreateFailed = "ディレクトリ作成失敗: ";
inline constexpr std::string_view kFailedPrefix = "失敗: ";
inline constexpr std::string_view kFailedEnd = "失敗。";
inline constexpr std::string_view kDoneEnd = "完了。";
// A transfer stopped by the break command (Esc) is no failure.
inline constexpr std::string_view kStoppedPrefix = "中止: ";
inline constexpr std::string_view kStoppedEnd = "中止。";
inline constexpr std::string_view kIntoItself = "フォルダをそれ自身の中には入れられません: ";

// Transfer status and summary (%1, %2, … are filled in).
inline constexpr std::string_view kTimeLeft = "残り %1";
inline constexpr std::string_view kTransferSummary = "%1 を %2 で転送しました (%3)";

// Overwrite question.
inline constexpr std::string_view kOverwriteCaption = "上書き確認";
inline constexpr std::string_view kOverwriteQuestion =
    "を上書きしますか？\n*この後上書き確認しない場合は[キャンセル]を*";

// Delete.
inline constexpr std::string_view kDeleteCaption = "削除確認";
inline constexpr std::string_view kDeleteMore = "・・・・";
inline constexpr std::string_view kDeleteQuestion = "を削除しますか？";
inline constexpr std::string_view kDeleting = "削除:";
// The last line of the delete question: how many entries, and that folders go whole.
inline constexpr std::string_view kEntriesOpen = "（";
inline constexpr std::string_view kEntriesCount = " 項目";
inline constexpr std::string_view kFoldersDeleted = "。フォルダ %1 個は中身ごと削除されます";
inline constexpr std::string_view kFoldersTrashed = "。フォルダ %1 個は中身ごとごみ箱に移動します";
inline constexpr std::string_view kEntriesClose = "）";
inline constexpr std::string_view kDeleteFailedAt = "削除失敗:";
inline constexpr std::string_view kDeleteFailed = "削除失敗";
inline constexpr std::string_view kDeleteSucceeded = "削除成功";

// Delete to the trash.
inline constexpr std::string_view kTrashQuestion = "をごみ箱に移動しますか？";
inline constexpr std::string_view kNoTrashForAny = "ごみ箱を使えないため、完全に削除します。";
inline constexpr std::string_view kNoTrashForThese = "ごみ箱を使えないため、次の項目は完全に削除します:";
inline constexpr std::string_view kTrashing = "ごみ箱へ移動:";
inline constexpr std::string_view kNoTrashAt = "ごみ箱を使えません:";
inline constexpr std::string_view kTrashFailedAt = "ごみ箱への移動失敗:";

// Size survey.
inline constexpr std::string_view kSurveyStart = "ディレクトリサイズ調査開始。";
inline constexpr std::string_view kSurveyStopped = "ディレクトリサイズ調査中止。";
inline constexpr std::string_view kSurveyFiles = "ファイル数 : ";
inline constexpr std::string_view kSurveyDirectories = " ディレクトリ数 : ";
inline constexpr std::string_view kSurveySize = " サイズ : ";

}  // namespace velkoran::fileops::messages
