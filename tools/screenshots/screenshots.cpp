// Makes the pictures of the window in docs/: a first start (nothing saved yet, on a small
// home folder) and a folder of 20 000 files. Everything it shows is made in a scratch
// folder, so the pictures are the same on every machine. Run it through
// scripts/screenshots, which gives it an X server.
//
//   velkoran_screenshots OUTPUT_DIR
#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/form_main.h"
#include "app/qt_text.h"
#include "app/qt_translation.h"
#include "platform/volumes.h"

namespace {

namespace fs = std::filesystem;

// The tree's one root: the scratch folder.
class ScratchVolumes final : public velkoran::platform::VolumeList {
 public:
  explicit ScratchVolumes(std::string root) : root_(std::move(root)) {}
  std::vector<std::string> Roots() override { return {root_}; }

 private:
  std::string root_;
};

void Write(const fs::path& path, std::size_t size) {
  std::ofstream out(path, std::ios::binary);
  out << std::string(size, 'x');
}

// A home folder as a newcomer might have one.
void MakeHome(const fs::path& home) {
  for (const char* dir : {"Documents/reports", "Documents/letters", "Downloads", "Music", "Pictures/2023", "Pictures/2024",
                          "projects/velkoran/src", "projects/notes"}) {
    fs::create_directories(home / dir);
  }
  Write(home / "todo.txt", 1234);
  Write(home / "report_final_v2.pdf", 2'345'678);
  Write(home / "photo_july.jpg", 3'456'789);
  Write(home / "budget_2024.ods", 45'678);
  Write(home / "Downloads/setup_package.deb", 123'456'789);
}

void Snap(velkoran::app::TForm_Main& form, const fs::path& file) {
  QTest::qWait(300);
  if (!form.grab().save(QString::fromStdString(file.string()))) {
    std::fprintf(stderr, "velkoran_screenshots: cannot write %s\n", file.c_str());
    std::exit(1);
  }
  std::printf("%s\n", file.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: velkoran_screenshots OUTPUT_DIR\n");
    return 2;
  }
  const fs::path output = fs::absolute(argv[1]);
  QApplication app(argc, argv);
  velkoran::app::InstallQtTranslation(app, "ja");
  // One fixed place, so that the paths in the pictures are the same on every run.
  const fs::path scratch = fs::temp_directory_path() / "velkoran-screenshots";
  fs::remove_all(scratch);
  const fs::path home = scratch / "home/user";
  const fs::path program = scratch / "program";
  fs::create_directories(program);
  MakeHome(home);
  const fs::path many = home / "projects/many_files";
  fs::create_directories(many);
  for (int i = 0; i < 20000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "file_%05d.dat", i);
    Write(many / name, static_cast<std::size_t>((i * 7919) % 50000));
  }

  ScratchVolumes volumes(home.string());
  velkoran::app::FormDependencies deps;
  deps.volumes = &volumes;
  deps.programDir = program.string();
  deps.firstStartDirectory = home.string();
  deps.handleTerminationSignals = false;
  {
    velkoran::app::TForm_Main form(deps);
    form.resize(900, 620);
    form.show();
    QTest::qWaitForWindowExposed(&form);
    Snap(form, output / "screenshot-first-start.png");

    form.findChild<QComboBox*>(QStringLiteral("CB_LocateBar"))->setEditText(velkoran::app::ToQ(many.string()));
    form.findChild<QPushButton*>(QStringLiteral("SB_Go"))->click();
    Snap(form, output / "screenshot-20000-files.png");
    form.close();
  }
  fs::remove_all(scratch);
  return 0;
}
