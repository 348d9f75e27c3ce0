#include "app/logic/file_list.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <numeric>

#include "app/logic/ui_text.h"
#include "platform/ui_language.h"
#include "fileops/format_size.h"
#include "platform/codepage.h"
#include "platform/directory.h"

namespace velkoran::app {
namespace {

std::string Decimal(std::int64_t v) { return std::to_string(v); }

}  // namespace


std::vector<FileRow> ReadDirectoryRows(std::string_view dir, bool showDirectory) {
  std::vector<FileRow> rows;
  const std::string base = platform::HostPaths().AddTrailingSeparator(dir);
  std::string linkPath;
  platform::ForEachEntry(dir, platform::EnumDetail::Full, [&](const platform::DirEntry& e) {
    if (e.isDirectory) {
      if (showDirectory) rows.push_back(FileRow{std::string(e.name), 0, true, false});
      return true;
    }
    FileRow row{std::string(e.name), static_cast<std::int64_t>(e.size), false, e.isSymlink};
    if (e.isSymlink) {
      // A link shows what it points to: a directory among the directories, a file with the
      // file's size. A broken link stays a file with its own size.
      struct stat st {};
      linkPath.assign(base).append(e.name);
      if (::stat(linkPath.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
          if (showDirectory) rows.push_back(FileRow{std::string(e.name), 0, true, true});
          return true;
        }
        row.size = static_cast<std::int64_t>(st.st_size);
      }
    }
    rows.push_back(std::move(row));
    return true;
  });
  return rows;
}

void FileList::Fill(std::string dirPath, std::vector<FileRow> rows) {
  dirPath_ = std::move(dirPath);
  rows_ = std::move(rows);
  totalBytes_ = 0;
  for (const FileRow& r : rows_) totalBytes_ += r.size;
  Sort();
}

void FileList::Clear() {
  rows_.clear();
  totalBytes_ = 0;
}

std::string FileList::Caption(ColumnKind kind) {
  return UiText(CaptionUtf8(kind));
}

std::string_view FileList::CaptionUtf8(ColumnKind kind) {
  switch (kind) {
    case ColumnKind::Name: return platform::Translatable("名前");
    case ColumnKind::FileDirectory: return "fd";
    case ColumnKind::SizeWhole:
    case ColumnKind::SizeBytes:
    case ColumnKind::SizeDecimal: return platform::Translatable("サイズ");
    case ColumnKind::DirPath: return platform::Translatable("パス");
  }
  return {};
}

int FileList::Compare(const FileRow& a, const FileRow& b) const {
  if (a.isDirectory != b.isDirectory) return static_cast<int>(b.isDirectory) - static_cast<int>(a.isDirectory);
  int r = 0;
  switch (sortType_) {
    case 0:
    case 1:
    case 4: r = CompareNamesIgnoreCase(a.name, b.name); break;
    case 2:
    case 3:
    case 5: r = a.size < b.size ? -1 : (a.size > b.size ? 1 : 0); break;
    default: r = 0;
  }
  return sortDescending_ ? -r : r;
}

std::vector<int> FileList::Sort() {
  std::vector<int> order(rows_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int x, int y) { return Compare(rows_[static_cast<std::size_t>(x)], rows_[static_cast<std::size_t>(y)]) < 0; });
  std::vector<FileRow> sorted;
  sorted.reserve(rows_.size());
  std::vector<int> newIndexOf(rows_.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    newIndexOf[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
    sorted.push_back(std::move(rows_[static_cast<std::size_t>(order[i])]));
  }
  rows_ = std::move(sorted);
  return newIndexOf;
}

std::vector<int> FileList::ColumnClick(int column) {
  if (column < 0 || column >= static_cast<int>(columns_.size())) return {};
  const auto kind = static_cast<std::uint8_t>(columns_[static_cast<std::size_t>(column)]);
  if (kind == sortType_) {
    sortDescending_ = !sortDescending_;
  } else {
    sortType_ = kind;
    sortDescending_ = false;
  }
  return Sort();
}

std::string FileList::CellText(int row, int column) const {
  if (row < 0 || row >= RowCount() || column < 0 || column >= static_cast<int>(columns_.size())) return {};
  const FileRow& r = Row(row);
  const auto size = static_cast<std::uint64_t>(r.size < 0 ? 0 : r.size);
  switch (columns_[static_cast<std::size_t>(column)]) {
    case ColumnKind::Name: return r.name;
    case ColumnKind::FileDirectory: return r.isDirectory ? "D" : "F";
    case ColumnKind::SizeWhole: return fileops::FormatSize(size, fileops::SizeFormat::Whole);
    case ColumnKind::SizeBytes: return Decimal(r.size);
    case ColumnKind::DirPath: return dirPath_;
    case ColumnKind::SizeDecimal: return fileops::FormatSize(size, fileops::SizeFormat::Decimal);
  }
  return {};
}

std::string FileList::FullPath(int row) const { return dirPath_ + Row(row).name; }

std::string FileList::OperationPath(int row) const {
  const FileRow& r = Row(row);
  std::string path = FullPath(row);
  if (r.isDirectory && !r.isLink) path = rules_.AddTrailingSeparator(path);
  return path;
}

std::vector<std::string> FileList::PathsOf(const std::vector<int>& rows,
                                           std::string (FileList::*path)(int) const) const {
  std::vector<std::string> paths;
  paths.reserve(rows.size());
  for (int row : rows) {
    if (row >= 0 && row < RowCount()) paths.push_back((this->*path)(row));
  }
  return paths;
}

std::vector<std::string> FileList::FullPaths(const std::vector<int>& rows) const {
  return PathsOf(rows, &FileList::FullPath);
}

std::vector<std::string> FileList::OperationPaths(const std::vector<int>& rows) const {
  return PathsOf(rows, &FileList::OperationPath);
}

std::string FileList::InfoLine(const std::vector<int>& selectedRows) const {
  const auto whole = [](std::int64_t n) {
    return fileops::FormatSize(static_cast<std::uint64_t>(n < 0 ? 0 : n), fileops::SizeFormat::Whole);
  };
  const std::string count = Decimal(RowCount());
  std::string total = "Size:" + whole(totalBytes_) + "B Size:" + Decimal(totalBytes_) + "B File:" + count + " All:" + count;
  if (selectedRows.empty()) return total;
  std::int64_t selectedBytes = 0;
  for (int i : selectedRows) {
    if (i >= 0 && i < RowCount()) selectedBytes += Row(i).size;
  }
  const std::string selCount = Decimal(static_cast<std::int64_t>(selectedRows.size()));
  return "Size:" + whole(selectedBytes) + "B Size:" + Decimal(selectedBytes) + "B File:" + selCount + " All:" + selCount +
         " / Size:" + whole(totalBytes_) + " Size:" + Decimal(totalBytes_) + "B File:" + count + " All:" + count;
}

}  // namespace velkoran::app
