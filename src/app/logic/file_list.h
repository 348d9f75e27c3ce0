// The file list's rows without widgets: listing a directory, the configured columns and
// their cell texts, the compare rule with its tie-breaks, and the info line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/logic/name_order.h"
#include "app/logic/settings.h"
#include "platform/paths.h"

namespace velkoran::app {

// One row. The listed directory's path is kept once for all rows.
struct FileRow {
  std::string name;
  std::int64_t size = 0;     // bytes; 0 for directories
  bool isDirectory = false;  // shown as a directory (a link to one included)
  bool isLink = false;       // a symbolic link: operations take the link itself
};

// Reads the entries of dir in file-system order. Directories (and links to directories)
// are listed only with showDirectory. A directory that cannot be read gives no rows.
std::vector<FileRow> ReadDirectoryRows(std::string_view dir, bool showDirectory);

class FileList {
 public:
  explicit FileList(const platform::PathRules& rules) : rules_(rules) {}

  // Replaces every row and sorts them once.
  void Fill(std::string dirPath, std::vector<FileRow> rows);
  void Clear();

  const std::string& DirPath() const { return dirPath_; }
  const std::vector<FileRow>& Rows() const { return rows_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }
  const FileRow& Row(int i) const { return rows_[static_cast<std::size_t>(i)]; }
  // After an in-place rename the row shows its new name at once.
  void RenameRow(int i, std::string name) { rows_[static_cast<std::size_t>(i)].name = std::move(name); }

  void SetColumns(std::vector<ColumnKind> columns) { columns_ = std::move(columns); }
  const std::vector<ColumnKind>& Columns() const { return columns_; }
  // The column's caption in the system code page.
  static std::string Caption(ColumnKind kind);

  std::uint8_t SortType() const { return sortType_; }
  bool SortDescending() const { return sortDescending_; }
  void SetSort(std::uint8_t type, bool descending) {
    sortType_ = type;
    sortDescending_ = descending;
  }

  // Negative, zero or positive: directories first (never reversed), then by the sort key.
  int Compare(const FileRow& a, const FileRow& b) const;
  // Sorts the rows (equal rows keep their order) and returns, for every old row index, its
  // new index.
  std::vector<int> Sort();
  // A click on a column header: the same key toggles the direction, another key sorts
  // ascending by it. Returns the permutation of Sort.
  std::vector<int> ColumnClick(int column);

  std::string CellText(int row, int column) const;

  // The directory path plus the row's name.
  std::string FullPath(int row) const;
  // The path handed to file operations: a directory gets a trailing separator; a link is
  // always the link itself, never followed.
  std::string OperationPath(int row) const;
  // The same for several rows, in their order; a row out of range is passed over.
  std::vector<std::string> FullPaths(const std::vector<int>& rows) const;
  std::vector<std::string> OperationPaths(const std::vector<int>& rows) const;

  std::int64_t TotalBytes() const { return totalBytes_; }
  // "Size:...": the totals, preceded by those of the selected rows when any is selected.
  std::string InfoLine(const std::vector<int>& selectedRows) const;

 private:
  std::vector<std::string> PathsOf(const std::vector<int>& rows, std::string (FileList::*path)(int) const) const;
  static std::string_view CaptionUtf8(ColumnKind kind);

  const platform::PathRules& rules_;
  std::string dirPath_;
  std::vector<FileRow> rows_;
  std::vector<ColumnKind> columns_{ColumnKind::Name};
  std::uint8_t sortType_ = 0;
  bool sortDescending_ = false;
  std::int64_t totalBytes_ = 0;
};

}  // namespace velkoran::app
