// The desktop's trash (the freedesktop.org Trash), so that a delete from the window can be
// undone from any desktop's trash can. Entries on the file system of the home trash
// ($XDG_DATA_HOME/Trash, default ~/.local/share/Trash) go there; entries on another file
// system go to the trash in its top directory: $topdir/.Trash/$uid when $topdir/.Trash is
// a sticky directory that is no link, else $topdir/.Trash-$uid. Nothing is ever copied
// across file systems: where no trash can take an entry the caller decides (the window
// offers a permanent delete).
//
// A trash directory holds files/ (the entries, under a name unique in that trash) and
// info/ (one "<name>.trashinfo" per entry with its original path and deletion date). The
// info file is written completely under a temporary name first and then linked to its
// final name, which fails when the name is taken: no reader ever sees a partial info file,
// and two programs trashing at once never take the same name. Only then is the entry
// renamed into files/; if that fails the info file is removed again.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace velkoran::platform {

// Where this user's trash directories are.
struct TrashPlaces {
  std::string homeTrash;  // no trailing "/"
  unsigned userId = 0;

  // $XDG_DATA_HOME/Trash (default ~/.local/share/Trash) and the real user id.
  static TrashPlaces OfCurrentUser();
};

enum class TrashResult {
  Trashed,  // in the trash, with its info file
  NoTrash,  // no trash can take the entry: none on its file system that this user may use,
            // a read-only one, or the entry holds or lies inside its trash
  Failed,   // a trash was there, but the entry could not be moved into it (error says why)
};

struct TrashOutcome {
  TrashResult result = TrashResult::Failed;
  int error = 0;         // the error number of the step that failed
  std::string trashDir;  // the trash directory used, without trailing "/"
  std::string name;      // the entry's name in files/; its info is info/<name>.trashinfo
};

class Trash {
 public:
  explicit Trash(TrashPlaces places) : places_(std::move(places)) {}
  virtual ~Trash() = default;

  // The trash directory that would take the entry at path (a final link is the link
  // itself), or nothing when none can. Creates nothing.
  virtual std::optional<std::string> TrashDirFor(std::string_view path) const;

  // Moves the entry (a link as a link, a directory with everything in it) into its trash.
  virtual TrashOutcome MoveToTrash(std::string_view path);

 private:
  struct Place;
  std::optional<Place> Locate(std::string_view path, int& error) const;

  TrashPlaces places_;
};

// The content of an info file: the original path (absolute, or relative to the top
// directory of the trash's file system) percent-encoded, and the local deletion time.
std::string TrashInfoText(std::string_view originalPath, std::time_t deletionTime);

}  // namespace velkoran::platform
