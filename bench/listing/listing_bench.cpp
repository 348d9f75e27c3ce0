// Listing a large directory in the file list, measured against `ls -l` by bench/run-listing.
//   listing_bench create DIR COUNT   makes COUNT files of varied names and sizes (sparse)
//   listing_bench list DIR RUNS      times the listing RUNS times and prints the figures
//   listing_bench mkdirs DIR COUNT   makes COUNT subdirectories, every other one holding one
//   listing_bench expand DIR RUNS    times expanding DIR as a tree root in the window
// The listing is timed twice: the logic alone (enumerate, build rows, sort once, info
// line) and the whole window (the same plus the model reset and painting the first rows).
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeView>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/form_main.h"
#include "app/logic/file_list.h"
#include "platform/paths.h"
#include "support/files.h"
#include "support/platform_fakes.h"
#include "support/scratch_dir.h"

using namespace velkoran;

namespace {

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

int Create(const std::string& dir, int count) {
  ::mkdir(dir.c_str(), 0755);
  std::mt19937 rng(12345);
  const char* syllables[] = {"ka", "Ki", "ku", "KE", "ko", "data", "Report", "img", "log", "backup", "テスト", "資料", "写真"};
  const char* extensions[] = {".txt", ".jpg", ".dat", ".log", ".tar.gz", "", ".cpp", ".PNG"};
  std::uniform_int_distribution<int> parts(1, 6);
  std::uniform_int_distribution<int> pick(0, 12);
  std::uniform_int_distribution<int> ext(0, 7);
  std::uniform_real_distribution<double> magnitude(0, 30);  // sizes from bytes to about a GiB
  for (int i = 0; i < count; ++i) {
    std::string name;
    for (int p = parts(rng); p > 0; --p) name += syllables[pick(rng)];
    name.append("_").append(std::to_string(i)).append(extensions[ext(rng)]);
    const std::string path = dir + "/" + name;
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    if (fd < 0) {
      std::perror(path.c_str());
      return 1;
    }
    const auto size = static_cast<off_t>(std::pow(2.0, magnitude(rng)));
    if (::ftruncate(fd, size) != 0) std::perror("ftruncate");
    ::close(fd);
  }
  return 0;
}

int List(const std::string& dir, int runs, int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);

  // The logic alone.
  std::vector<double> logicTimes;
  std::size_t rowHeap = 0;
  int rows = 0;
  for (int i = 0; i < runs; ++i) {
    app::FileList list(platform::HostPaths());
    list.SetColumns({app::ColumnKind::Name, app::ColumnKind::FileDirectory, app::ColumnKind::SizeWhole,
                     app::ColumnKind::SizeBytes, app::ColumnKind::DirPath, app::ColumnKind::SizeDecimal});
    const std::size_t before = HeapInUse();
    const auto start = std::chrono::steady_clock::now();
    list.Fill(dir + "/", app::ReadDirectoryRows(dir, false));
    const std::string info = list.InfoLine({});
    logicTimes.push_back(MillisecondsSince(start));
    rowHeap = HeapInUse() - before;
    rows = list.RowCount();
    if (info.empty()) return 1;
  }

  // The whole window: the same directory listed again through the models and painted.
  std::vector<double> windowTimes;
  {
    const velkoran::testing::ScratchDir home;
    app::FormDependencies deps;
    deps.programDir = home.Path();
    deps.handleTerminationSignals = false;
    app::TForm_Main form(deps);
    form.show();
    QApplication::processEvents();
    form.Logic().GoToLocation(dir);
    QApplication::processEvents();
    for (int i = 0; i < runs; ++i) {
      const auto start = std::chrono::steady_clock::now();
      form.Logic().ListDirectory();
      QApplication::processEvents();  // the model reset and the first paint
      windowTimes.push_back(MillisecondsSince(start));
    }
    form.close();
  }

  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  std::printf("rows %d\n", rows);
  std::printf("logic_ms %.1f\n", Median(logicTimes));
  std::printf("window_ms %.1f\n", Median(windowTimes));
  std::printf("row_heap_mib %.1f\n", static_cast<double>(rowHeap) / (1024.0 * 1024.0));
  std::printf("peak_rss_mib %.1f\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}

int MakeDirs(const std::string& dir, int count) {
  ::mkdir(dir.c_str(), 0755);
  for (int i = 0; i < count; ++i) {
    const std::string sub = dir + "/dir" + std::to_string(i);
    if (::mkdir(sub.c_str(), 0755) != 0) {
      std::perror(sub.c_str());
      return 1;
    }
    if (i % 2 == 0) ::mkdir((sub + "/inner").c_str(), 0755);
  }
  return 0;
}

int Expand(const std::string& dir, int runs, int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  std::vector<double> times;
  int children = 0;
  {
    const velkoran::testing::ScratchDir home;
    velkoran::testing::MakeDirs(home / "save");
    velkoran::testing::WriteFile(home / "save/setting.ini", "TreeVisible : 1\r\nAutoExpand : 0\r\n");
    velkoran::testing::FakeVolumes volumes;
    volumes.roots = {dir};
    app::FormDependencies deps;
    deps.programDir = home.Path();
    deps.volumes = &volumes;
    deps.handleTerminationSignals = false;
    app::TForm_Main form(deps);
    form.show();
    QApplication::processEvents();
    auto* tree = form.findChild<QTreeView*>(QStringLiteral("TV_Directorys"));
    for (int i = 0; i < runs; ++i) {
      form.Logic().RebuildTree();
      QApplication::processEvents();
      const QModelIndex root = tree->model()->index(0, 0);
      const auto start = std::chrono::steady_clock::now();
      tree->expand(root);
      QApplication::processEvents();  // layout and paint of the expanded level
      times.push_back(MillisecondsSince(start));
      children = tree->model()->rowCount(root);
    }
    form.close();
  }
  std::printf("children %d\n", children);
  std::printf("expand_ms %.1f\n", Median(times));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "create") return Create(argv[2], std::atoi(argv[3]));
  if (argc == 4 && std::string(argv[1]) == "mkdirs") return MakeDirs(argv[2], std::atoi(argv[3]));
  if (argc == 4 && std::string(argv[1]) == "expand") return Expand(argv[2], std::max(1, std::atoi(argv[3])), argc, argv);
  if (argc == 4 && std::string(argv[1]) == "list") return List(argv[2], std::max(1, std::atoi(argv[3])), argc, argv);
  std::fprintf(stderr, "usage: listing_bench create|mkdirs DIR COUNT | listing_bench list|expand DIR RUNS\n");
  return 2;
}
