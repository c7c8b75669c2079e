#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdiplus_win.h"
#include "platform/window_win.h"

namespace {

// GDI+'s frame dimension of animations (FrameDimensionTime).
const GUID kFrameDimensionTime = {
    0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};
constexpr PROPID kFrameDelayProperty = 0x5100;  // hundredths of a second, one per frame
// What viewers show for a missing delay or one too short to be meant (0 or 1 hundredth).
constexpr UINT kUsualDelayMs = 100;
constexpr LONG kShortestDelay = 2;
constexpr LONG kLongestDelay = 65535;  // the most a GIF frame can ask for
constexpr LONGLONG kLargestMovieFile = 64 * 1024 * 1024;
constexpr UINT_PTR kFrameTimer = 1;
constexpr UINT kPlayCommand = 1;
const char kPreviousProcedureProperty[] = "MervantisPreviousProcedure";

// The smallest GIF there is: if this decodes, the player can decode its movie's frames.
const unsigned char kProbeImage[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF,
    0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
    0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};

bool canDecodeImages() {
  ScopedGdiplusImage image(decodeImage(kProbeImage, sizeof(kProbeImage)));
  UINT width = 0;
  return image && gdiplusApi()->GdipGetImageWidth(image.get(), &width) == Gdiplus::Ok &&
         width == 1;
}

bool readWholeFile(const std::string& path, std::vector<unsigned char>& bytes) {
  ScopedFileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.get(), &size)) return false;
  if (size.QuadPart <= 0 || size.QuadPart > kLargestMovieFile) return false;
  bytes.resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  return ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) &&
         read == bytes.size();
}

// Each frame's delay in milliseconds, from the image's frame delay property.
std::vector<UINT> frameDelays(Gdiplus::GpImage* image, UINT frameCount) {
  std::vector<UINT> delays(frameCount, kUsualDelayMs);
  const GdiplusApi& api = *gdiplusApi();
  UINT size = 0;
  if (api.GdipGetPropertyItemSize(image, kFrameDelayProperty, &size) != Gdiplus::Ok ||
      size < sizeof(Gdiplus::PropertyItem))
    return delays;
  std::vector<unsigned char> buffer(size);
  auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(buffer.data());
  if (api.GdipGetPropertyItem(image, kFrameDelayProperty, size, item) != Gdiplus::Ok ||
      item->type != PropertyTagTypeLong)
    return delays;
  // The values lie in the same buffer, after the item.
  const auto* values = static_cast<const unsigned char*>(item->value);
  const unsigned char* end = buffer.data() + buffer.size();
  if (values < buffer.data() || values > end) return delays;
  size_t given = std::min<size_t>({item->length / sizeof(LONG),
                                   static_cast<size_t>(end - values) / sizeof(LONG), frameCount});
  for (size_t i = 0; i < given; ++i) {
    LONG hundredths = 0;
    memcpy(&hundredths, values + i * sizeof(LONG), sizeof(LONG));
    if (hundredths >= kShortestDelay)
      delays[i] = static_cast<UINT>(std::min(hundredths, kLongestDelay)) * 10;
  }
  return delays;
}

// Answers right button down itself; everything else goes to the player's own procedure.
LRESULT CALLBACK contextMenuFilter(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RBUTTONDOWN) return -1;
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, kPreviousProcedureProperty));
  if (message == WM_NCDESTROY) RemovePropA(window, kPreviousProcedureProperty);
  if (previous == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

BOOL CALLBACK findPlayerWindow(HWND window, LPARAM found) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof(name));
  if (strncmp(name, kMoviePlayerClass, strlen(kMoviePlayerClass)) != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

}  // namespace

struct MoviePlayer::Movie {
  ScopedGdiplusImage image;
  UINT width = 0, height = 0;
  std::vector<UINT> delays;  // milliseconds, one per frame; a still image has one
  uint32_t frame = 0;        // the frame shown
};

MoviePlayer::MoviePlayer(const ControlDescription& description) : Control(description) {}

MoviePlayer::~MoviePlayer() {
  if (originalBitmap_ != nullptr) SelectObject(frameDc_.get(), originalBitmap_);
}

bool MoviePlayer::create(HWND parent, int id) {
  if (!canDecodeImages()) return false;
  // White where no frame is drawn; the class keeps the brush for the process's life.
  if (!registerClass(kMoviePlayerClass, windowProc,
                     static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH))))
    return false;
  const ControlDescription& d = description();
  frameDc_.reset(CreateCompatibleDC(nullptr));
  frameImage_.reset(createImageBitmap(d.width, d.height));
  if (!frameDc_ || !frameImage_) return false;
  originalBitmap_ = SelectObject(frameDc_.get(), frameImage_.get());
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (d.visible ? WS_VISIBLE : 0);
  window_ = CreateWindowExA(0, kMoviePlayerClass, "", style, d.x, d.y, d.width, d.height, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), this);
  if (window_ == nullptr) return false;
  showFrame(0);
  return true;
}

bool MoviePlayer::loadMovie(const std::string& path) {
  pauseMovie();
  movie_.reset();
  auto movie = std::make_unique<Movie>();
  std::vector<unsigned char> bytes;
  if (readWholeFile(path, bytes)) movie->image.reset(decodeImage(bytes.data(), bytes.size()));
  const GdiplusApi* api = gdiplusApi();
  if (!movie->image || api->GdipGetImageWidth(movie->image.get(), &movie->width) != Gdiplus::Ok ||
      api->GdipGetImageHeight(movie->image.get(), &movie->height) != Gdiplus::Ok ||
      movie->width == 0 || movie->height == 0) {
    showFrame(0);  // white
    return false;
  }
  // An image without frames in time (a still picture) is a movie of one frame.
  UINT frames = 0;
  if (api->GdipImageGetFrameCount(movie->image.get(), &kFrameDimensionTime, &frames) !=
          Gdiplus::Ok ||
      frames == 0)
    frames = 1;
  movie->delays = frameDelays(movie->image.get(), frames);
  movie_ = std::move(movie);
  showFrame(0);
  return true;
}

bool MoviePlayer::playMovie() {
  if (!movie_) return false;
  playing_ = true;
  if (movie_->delays.size() < 2) return true;  // a still picture stays as it is
  return SetTimer(window_, kFrameTimer, movie_->delays[movie_->frame], nullptr) != 0;
}

void MoviePlayer::pauseMovie() {
  playing_ = false;
  KillTimer(window_, kFrameTimer);
}

void MoviePlayer::showFrame(uint32_t index) {
  const ControlDescription& d = description();
  RECT all = {0, 0, d.width, d.height};
  FillRect(frameDc_.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (movie_) {
    const GdiplusApi& api = *gdiplusApi();
    movie_->frame = index;
    // GDI+ composes the frame with those before it, as the animation means it to be seen.
    if (movie_->delays.size() > 1)
      api.GdipImageSelectActiveFrame(movie_->image.get(), &kFrameDimensionTime, index);
    Gdiplus::GpGraphics* graphics = nullptr;
    if (api.GdipCreateFromHDC(frameDc_.get(), &graphics) == Gdiplus::Ok) {
      ScopedGdiplusGraphics owned(graphics);
      // At its own size, centred: never stretched.
      INT width = static_cast<INT>(movie_->width), height = static_cast<INT>(movie_->height);
      api.GdipDrawImageRectI(graphics, movie_->image.get(), (d.width - width) / 2,
                             (d.height - height) / 2, width, height);
    }
  }
  InvalidateRect(window_, nullptr, FALSE);
}

void MoviePlayer::showNextFrame() {
  if (!movie_ || !playing_ || movie_->delays.size() < 2) return;
  uint32_t next = static_cast<uint32_t>((movie_->frame + 1) % movie_->delays.size());
  showFrame(next);
  SetTimer(window_, kFrameTimer, movie_->delays[next], nullptr);
}

void MoviePlayer::showMenu(LPARAM at) {
  ScopedMenu menu(CreatePopupMenu());
  if (!menu) return;
  UINT state = (playing_ ? MF_CHECKED : MF_UNCHECKED) | (movie_ ? MF_ENABLED : MF_GRAYED);
  AppendMenuA(menu.get(), MF_STRING | state, kPlayCommand, "播放");
  POINT point = {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
  ClientToScreen(window_, &point);
  UINT chosen = static_cast<UINT>(TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                 point.x, point.y, 0, window_, nullptr));
  if (chosen != kPlayCommand) return;
  if (playing_) {
    pauseMovie();
  } else {
    playMovie();
  }
}

LRESULT MoviePlayer::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything; erasing first would flicker
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      const ControlDescription& d = description();
      BitBlt(dc, 0, 0, d.width, d.height, frameDc_.get(), 0, 0, SRCCOPY);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_TIMER:
      if (wParam == kFrameTimer) showNextFrame();
      return 0;
    case WM_LBUTTONDOWN:
      // A click on the movie gives it the keyboard, as a movie control does.
      SetFocus(window_);
      return 0;
    case WM_RBUTTONDOWN:
      showMenu(lParam);
      return 0;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK MoviePlayer::windowProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) {
  auto* player = boundControl<MoviePlayer>(window, message, lParam);
  if (player == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return player->handleMessage(message, wParam, lParam);
}

void MoviePlayer::disableContextMenu(HWND window) {
  if (window == nullptr) return;
  HWND player = nullptr;
  EnumChildWindows(window, findPlayerWindow, reinterpret_cast<LPARAM>(&player));
  if (player == nullptr) return;
  auto filter = reinterpret_cast<LONG_PTR>(contextMenuFilter);
  // Once is enough: a second filter would take the first for the player's own procedure.
  if (GetWindowLongPtrA(player, GWLP_WNDPROC) == filter) return;
  LONG_PTR previous = GetWindowLongPtrA(player, GWLP_WNDPROC);
  if (!SetPropA(player, kPreviousProcedureProperty, reinterpret_cast<HANDLE>(previous))) return;
  SetWindowLongPtrA(player, GWLP_WNDPROC, filter);
}
