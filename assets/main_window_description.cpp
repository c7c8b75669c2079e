#include "assets/main_window_description.h"

#include "assets/resource_ids.h"

namespace {

constexpr ControlDescription kControls[kMainWindowControlCount] = {
    {"图形按钮5", ControlKind::PictureButton, 544, 8, 32, 32, true, IDB_CLOSE, 0, 0, 0},
    {"图形按钮2", ControlKind::PictureButton, 512, 8, 32, 32, true, IDB_MINIMIZE, 0, 0, 0},
    {"画板3", ControlKind::Canvas, 149, 281, 320, 19, true, 0, 0, 0, 0},
    {"画板2", ControlKind::Canvas, 149, 281, 320, 19, true, 0, 0, 0, 0},
    {"画板1", ControlKind::Canvas, 152, 271, 300, 7, true, 0, 0, 0, 0},
    {"图形按钮1", ControlKind::PictureButton, 522, 264, 60, 21, true, IDB_EXIT, IDB_EXIT_HOVER, 0, 0},
    {"编辑框1", ControlKind::EditBox, 24, 240, 306, 19, true, 0, 0, 0, 0},
    {"图形按钮4", ControlKind::PictureButton, 397, 238, 60, 21, true, IDB_INSTALL,
     IDB_INSTALL_HOVER, 0, 0},
    {"图形按钮3", ControlKind::PictureButton, 333, 238, 60, 21, true, IDB_BROWSE,
     IDB_BROWSE_HOVER, 0, 0},
    {"ZIP压缩1", ControlKind::ZipControl, 384, 0, 24, 24, false, 0, 0, 0, 0},
    {"标签1", ControlKind::Label, 408, 0, 56, 24, false, 0, 0, 0, 0},
    {"", ControlKind::MoviePlayer, 0, 0, 600, 300, true, 0, 0, 0, 0},
};

}  // namespace

const WindowDescription kMainWindowDescription = {"down", 617, 327, true, kControls,
                                                  kMainWindowControlCount};
