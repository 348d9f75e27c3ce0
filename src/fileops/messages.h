// The texts the file operations show, written here in UTF-8 and handed out in the system
// code page, so that log lines and questions join file names byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "platform/ui_language.h"

namespace velkoran::fileops::messages {

// The text in the user interface's language, in the active code page.
std::string Local(std::string_view utf8);

// Names of the operations in log lines (code 1, 2, 4; any other code has an empty name).
inline constexpr std::string_view kCopy = platform::Translatable("コピー");
inline constexpr std::string_view kMove = platform::Translatable("移動");
inline constexpr std::string_view kLink = platform::Translatable("リンク");

// Transfer.
inline constexpr std::string_view kPreparing = platform::Translatable("の準備中。");
inline constexpr std::string_view kPrepared = platform::Translatable("の準備完了。");
inline constexpr std::string_view kTotalSize = platform::Translatable("総サイズ：");
inline constexpr std::string_view kDirectoryCreateFailed = platform::Translatable("ディレクトリ作成失敗: ");
inline constexpr std::string_view kFailedPrefix = platform::Translatable("失敗: ");
inline constexpr std::string_view kFailedEnd = platform::Translatable("失敗。");
inline constexpr std::string_view kDoneEnd = platform::Translatable("完了。");
// A transfer stopped by the break command (Esc) is no failure.
inline constexpr std::string_view kStoppedPrefix = platform::Translatable("中止: ");
inline constexpr std::string_view kStoppedEnd = platform::Translatable("中止。");
inline constexpr std::string_view kIntoItself = platform::Translatable("フォルダをそれ自身の中には入れられません: ");

// Transfer status and summary (%1, %2, … are filled in).
inline constexpr std::string_view kTimeLeft = platform::Translatable("残り %1");
inline constexpr std::string_view kTransferSummary = platform::Translatable("%1 を %2 で転送しました (%3)");

// Overwrite question.
inline constexpr std::string_view kOverwriteCaption = platform::Translatable("上書き確認");
inline constexpr std::string_view kOverwriteQuestion =
    platform::Translatable("を上書きしますか？\n*この後上書き確認しない場合は[キャンセル]を*");

// Delete.
inline constexpr std::string_view kDeleteCaption = platform::Translatable("削除確認");
inline constexpr std::string_view kDeleteMore = platform::Translatable("・・・・");
inline constexpr std::string_view kDeleteQuestion = platform::Translatable("を削除しますか？");
inline constexpr std::string_view kDeleting = platform::Translatable("削除:");
// The last line of the delete question: how many entries, and that folders go whole.
inline constexpr std::string_view kEntriesOpen = platform::Translatable("（");
inline constexpr std::string_view kEntriesCount = platform::Translatable(" 項目");
inline constexpr std::string_view kFoldersDeleted = platform::Translatable("。フォルダ %1 個は中身ごと削除されます");
inline constexpr std::string_view kFoldersTrashed = platform::Translatable("。フォルダ %1 個は中身ごとごみ箱に移動します");
inline constexpr std::string_view kEntriesClose = platform::Translatable("）");
inline constexpr std::string_view kDeleteFailedAt = platform::Translatable("削除失敗:");
inline constexpr std::string_view kDeleteFailed = platform::Translatable("削除失敗");
inline constexpr std::string_view kDeleteSucceeded = platform::Translatable("削除成功");

// Delete to the trash.
inline constexpr std::string_view kTrashQuestion = platform::Translatable("をごみ箱に移動しますか？");
inline constexpr std::string_view kNoTrashForAny = platform::Translatable("ごみ箱を使えないため、完全に削除します。");
inline constexpr std::string_view kNoTrashForThese = platform::Translatable("ごみ箱を使えないため、次の項目は完全に削除します:");
inline constexpr std::string_view kTrashing = platform::Translatable("ごみ箱へ移動:");
inline constexpr std::string_view kNoTrashAt = platform::Translatable("ごみ箱を使えません:");
inline constexpr std::string_view kTrashFailedAt = platform::Translatable("ごみ箱への移動失敗:");

// Size survey.
inline constexpr std::string_view kSurveyStart = platform::Translatable("ディレクトリサイズ調査開始。");
inline constexpr std::string_view kSurveyStopped = platform::Translatable("ディレクトリサイズ調査中止。");
inline constexpr std::string_view kSurveyFiles = platform::Translatable("ファイル数 : ");
inline constexpr std::string_view kSurveyDirectories = platform::Translatable(" ディレクトリ数 : ");
inline constexpr std::string_view kSurveySize = platform::Translatable(" サイズ : ");

}  // namespace velkoran::fileops::messages
