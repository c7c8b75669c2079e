// The movie player in a window of its own: loading a movie from a file, playing it frame by
// frame with each frame's delay behind the controls above it, and its right-click menu with
// the filter that disables it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "platform/runtime_win.h"
#include "platform/window_win.h"
#include "shell/temp_file_win.h"
#include "tests/win/process_helpers_win.h"

namespace {

// 8 x 4 pixels, three frames: red for 0.1 s, green for 0.4 s, blue for 0.1 s, looping.
const unsigned char kThreeFrames[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x08, 0x00, 0x04, 0x00, 0x81, 0x00, 0x00, 0xFF, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xFF, 0x0B, 0x4E, 0x45,
    0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2E, 0x30, 0x03, 0x01, 0x00, 0x00, 0x00, 0x21,
    0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00, 0x08, 0x00, 0x04,
    0x00, 0x00, 0x08, 0x0C, 0x00, 0x01, 0x08, 0x1C, 0x48, 0xB0, 0xA0, 0xC1, 0x83, 0x04, 0x03,
    0x02, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x28, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00,
    0x08, 0x00, 0x04, 0x00, 0x81, 0x00, 0xA0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x08, 0x0C, 0x00, 0x01, 0x08, 0x1C, 0x48, 0xB0, 0xA0, 0xC1, 0x83, 0x04, 0x03,
    0x02, 0x00, 0x21, 0xF9, 0x04, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00, 0x00, 0x00,
    0x08, 0x00, 0x04, 0x00, 0x81, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x08, 0x0C, 0x00, 0x01, 0x08, 0x1C, 0x48, 0xB0, 0xA0, 0xC1, 0x83, 0x04, 0x03,
    0x02, 0x00, 0x3B};
constexpr COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 160, 0), kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// A canvas over the player's top left corner; the player, 40 x 20, beneath it.
constexpr ControlDescription kControls[] = {
    {"cover", ControlKind::Canvas, 0, 0, 10, 10, true, 0, 0, 0, 0},
    {"", ControlKind::MoviePlayer, 0, 0, 40, 20, true, 0, 0, 0, 0},
};
const WindowDescription kDescription = {"movie test", 120, 60, false, kControls, 2};

Form* opened = nullptr;
void created(Form& window) { opened = &window; }

// A window of its own for each test, so that no test sees another's filter or movie.
Form& newWindow() {
  Form::open(kDescription, created);
  return *opened;
}

MoviePlayer& playerOf(Form& window) { return window.control<MoviePlayer>(1); }

std::string movieFile(const void* bytes, size_t size) {
  std::string name = tempFileName();
  EXPECT_TRUE(writeBytesToFile(name, {{bytes, size}}));
  return name;
}

COLORREF shownPixel(HWND window, int x, int y) {
  UpdateWindow(window);
  HDC dc = GetDC(window);
  COLORREF pixel = GetPixel(dc, x, y);
  ReleaseDC(window, dc);
  return pixel;
}

COLORREF movieCentre(MoviePlayer& player) { return shownPixel(player.handle(), 20, 10); }

void runMessagesFor(DWORD milliseconds) {
  DWORD start = GetTickCount();
  while (GetTickCount() - start < milliseconds) {
    processPendingEvents();
    Sleep(1);
  }
}

TEST(MoviePlayer, ShowsTheFirstFrameCentredOnWhiteUntilPlayed) {
  Form& window = newWindow();
  MoviePlayer& player = playerOf(window);
  ASSERT_TRUE(player.exists());
  EXPECT_EQ(movieCentre(player), kWhite) << "no movie yet";
  EXPECT_FALSE(player.playMovie());
  std::string name = movieFile(kThreeFrames, sizeof(kThreeFrames));
  ASSERT_TRUE(player.loadMovie(name));
  runMessagesFor(300);
  // The 8 x 4 frame at its own size in the middle; white around it.
  EXPECT_EQ(movieCentre(player), kRed);
  EXPECT_EQ(shownPixel(player.handle(), 16, 8), kRed);
  EXPECT_EQ(shownPixel(player.handle(), 23, 11), kRed);
  EXPECT_EQ(shownPixel(player.handle(), 15, 8), kWhite);
  EXPECT_EQ(shownPixel(player.handle(), 24, 12), kWhite);
  EXPECT_FALSE(player.playing());
  DeleteFileA(name.c_str());
}

TEST(MoviePlayer, PlaysEachFrameForItsOwnDelayBehindTheControlsAndLoops) {
  Form& window = newWindow();
  MoviePlayer& player = playerOf(window);
  auto& cover = window.control<Canvas>(0);
  cover.draw([](HDC dc) {
    RECT all = {0, 0, 10, 10};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  });
  std::string name = movieFile(kThreeFrames, sizeof(kThreeFrames));
  ASSERT_TRUE(player.loadMovie(name));
  ASSERT_TRUE(player.playMovie());

  struct Shown {
    COLORREF colour;
    DWORD since;
  };
  std::vector<Shown> shown = {{movieCentre(player), GetTickCount()}};
  for (DWORD start = GetTickCount(); GetTickCount() - start < 3000;) {
    processPendingEvents();
    COLORREF now = movieCentre(player);
    if (now != shown.back().colour) shown.push_back({now, GetTickCount()});
    Sleep(1);
  }
  // Red, green, blue and round again, several times over.
  ASSERT_GE(shown.size(), 10u);
  const COLORREF order[] = {kRed, kGreen, kBlue};
  DWORD red = 0, green = 0;
  int reds = 0, greens = 0;
  for (size_t i = 0; i < shown.size(); ++i) {
    EXPECT_EQ(shown[i].colour, order[i % 3]) << "change " << i;
    if (i == 0 || i + 1 == shown.size()) continue;  // only whole showings are timed
    DWORD lasted = shown[i + 1].since - shown[i].since;
    if (shown[i].colour == kRed) red += lasted, ++reds;
    if (shown[i].colour == kGreen) green += lasted, ++greens;
  }
  ASSERT_GT(reds, 0);
  ASSERT_GT(greens, 0);
  // Green asks for four times red's delay; a busy machine only makes the short ones longer.
  EXPECT_GT(green / greens, 2 * (red / reds));
  EXPECT_EQ(shownPixel(window.handle(), 5, 5), kBlack) << "the movie stays behind the canvas";

  player.pauseMovie();
  COLORREF paused = movieCentre(player);
  runMessagesFor(700);
  EXPECT_EQ(movieCentre(player), paused);
  DeleteFileA(name.c_str());
}

TEST(MoviePlayer, FileThatIsNoMovieLeavesItWhiteAndStopped) {
  Form& window = newWindow();
  MoviePlayer& player = playerOf(window);
  std::string movie = movieFile(kThreeFrames, sizeof(kThreeFrames));
  const char text[] = "GIF89a, but nothing after it";
  std::string notMovie = movieFile(text, sizeof(text) - 1);
  std::string empty = movieFile("", 0);
  const std::string names[] = {notMovie, empty, tempFileName() /* missing */, ""};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(player.loadMovie(movie));
    ASSERT_TRUE(player.playMovie());
    EXPECT_FALSE(player.loadMovie(name));
    EXPECT_FALSE(player.playing());
    EXPECT_FALSE(player.playMovie());
    runMessagesFor(200);
    EXPECT_EQ(movieCentre(player), kWhite);
  }
  for (const std::string& name : {movie, notMovie, empty}) DeleteFileA(name.c_str());
}

// Popup menus of this process on the screen.
BOOL CALLBACK findMenu(HWND window, LPARAM found) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  char name[16] = {};
  GetClassNameA(window, name, sizeof(name));
  if (owner != GetCurrentProcessId() || strcmp(name, "#32768") != 0 || !IsWindowVisible(window))
    return TRUE;
  *reinterpret_cast<bool*>(found) = true;
  return FALSE;
}

bool menuSeen = false;
void CALLBACK closeMenu(HWND, UINT, UINT_PTR, DWORD) {
  bool shown = false;
  EnumWindows(findMenu, reinterpret_cast<LPARAM>(&shown));
  if (!shown) return;
  menuSeen = true;
  EndMenu();
}

// Presses the right button on the player; a menu shown meanwhile is recorded and closed.
LRESULT rightButtonDown(MoviePlayer& player) {
  menuSeen = false;
  UINT_PTR timer = SetTimer(nullptr, 0, 50, closeMenu);
  LRESULT result = SendMessageA(player.handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(20, 10));
  runMessagesFor(300);
  KillTimer(nullptr, timer);
  return result;
}

TEST(MoviePlayerMenu, RightButtonOpensThePlayersMenuUntilDisabled) {
  Form& window = newWindow();
  MoviePlayer& player = playerOf(window);
  rightButtonDown(player);
  EXPECT_TRUE(menuSeen) << "the player has a menu of its own";

  // Twice: the second time must not wrap the filter in itself.
  MoviePlayer::disableContextMenu(window.handle());
  MoviePlayer::disableContextMenu(window.handle());
  EXPECT_EQ(rightButtonDown(player), -1);
  EXPECT_FALSE(menuSeen);

  // Everything else still reaches the player, with the player's own answer.
  SetFocus(window.handle());
  SendMessageA(player.handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 10));
  SendMessageA(player.handle(), WM_LBUTTONUP, 0, MAKELPARAM(20, 10));
  EXPECT_EQ(GetFocus(), player.handle()) << "a left click gives the movie the keyboard";
  HDC dc = GetDC(player.handle());
  EXPECT_EQ(SendMessageA(player.handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  ReleaseDC(player.handle(), dc);
}

TEST(MoviePlayerMenu, DisablingFindsOnlyAPlayerBeneathTheWindow) {
  Form& window = newWindow();
  Form& other = newWindow();
  MoviePlayer::disableContextMenu(nullptr);
  MoviePlayer::disableContextMenu(other.handle());
  rightButtonDown(playerOf(window));
  EXPECT_TRUE(menuSeen) << "another window's player is not this one";
}

}  // namespace
