#include <algorithm>

#include "platform/window_win.h"

// One of a button's bitmaps with its pixels and the shape left when pure yellow is cut out.
struct PictureButton::Image {
  ScopedBitmap bitmap;
  int32_t width = 0, height = 0;
  std::vector<uint32_t> pixels;       // 0x00RRGGBB, top-down
  std::vector<unsigned char> shape;   // RGNDATA of the opaque pixels, built once

  bool opaqueAt(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return false;
    return pixels[static_cast<size_t>(y) * width + x] != 0x00FFFF00;  // pure yellow
  }

  // A new region for SetWindowRgn, which takes it over.
  HRGN makeRegion() const {
    return ExtCreateRegion(nullptr, static_cast<DWORD>(shape.size()),
                           reinterpret_cast<const RGNDATA*>(shape.data()));
  }
};

namespace {

std::unique_ptr<PictureButton::Image> loadImage(int resourceId) {
  auto image = std::make_unique<PictureButton::Image>();
  image->bitmap.reset(static_cast<HBITMAP>(
      LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0,
                 LR_CREATEDIBSECTION)));
  if (!image->bitmap) return nullptr;
  BITMAP info = {};
  GetObjectA(image->bitmap.get(), sizeof(info), &info);
  image->width = info.bmWidth;
  image->height = info.bmHeight;

  BITMAPINFO request = {};
  request.bmiHeader.biSize = sizeof(request.bmiHeader);
  request.bmiHeader.biWidth = info.bmWidth;
  request.bmiHeader.biHeight = -info.bmHeight;
  request.bmiHeader.biPlanes = 1;
  request.bmiHeader.biBitCount = 32;
  request.bmiHeader.biCompression = BI_RGB;
  image->pixels.resize(static_cast<size_t>(info.bmWidth) * info.bmHeight);
  HDC screen = GetDC(nullptr);
  int rows = GetDIBits(screen, image->bitmap.get(), 0, static_cast<UINT>(info.bmHeight),
                       image->pixels.data(), &request, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (rows != info.bmHeight) return nullptr;
  for (uint32_t& pixel : image->pixels) pixel &= 0x00FFFFFF;

  // One rectangle per horizontal run of opaque pixels.
  std::vector<RECT> runs;
  for (int32_t y = 0; y < image->height; ++y) {
    for (int32_t x = 0; x < image->width;) {
      if (!image->opaqueAt(x, y)) {
        ++x;
        continue;
      }
      int32_t start = x;
      while (x < image->width && image->opaqueAt(x, y)) ++x;
      runs.push_back({start, y, x, y + 1});
    }
  }
  image->shape.resize(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* header = reinterpret_cast<RGNDATAHEADER*>(image->shape.data());
  header->dwSize = sizeof(RGNDATAHEADER);
  header->iType = RDH_RECTANGLES;
  header->nCount = static_cast<DWORD>(runs.size());
  header->nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  header->rcBound = {0, 0, image->width, image->height};
  std::copy(runs.begin(), runs.end(),
            reinterpret_cast<RECT*>(image->shape.data() + sizeof(RGNDATAHEADER)));
  return image;
}

}  // namespace

PictureButton::PictureButton(const ControlDescription& description) : Control(description) {}
PictureButton::~PictureButton() = default;

bool PictureButton::create(HWND parent, int id) {
  if (!registerClass(kPictureButtonClass, windowProc, nullptr)) return false;
  const ControlDescription& d = description();
  for (int resourceId : {d.normalImage, d.hoverImage, d.pressedImage, d.disabledImage}) {
    images_.push_back(resourceId != 0 ? loadImage(resourceId) : nullptr);
    if (resourceId != 0 && images_.back() == nullptr) return false;
  }
  if (images_[0] == nullptr) return false;

  DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (d.visible ? WS_VISIBLE : 0);
  window_ = CreateWindowExA(0, kPictureButtonClass, d.designName, style, d.x, d.y, d.width,
                            d.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleA(nullptr), this);
  if (window_ == nullptr) return false;
  show(State::Normal);
  return true;
}

const PictureButton::Image& PictureButton::shownImage() const {
  const Image* wanted = nullptr;
  if (!IsWindowEnabled(window_)) {
    wanted = images_[3].get();
  } else if (state_ == State::Pressed) {
    wanted = images_[2].get();
  } else if (state_ == State::Hover) {
    wanted = images_[1].get();
  }
  return wanted != nullptr ? *wanted : *images_[0];
}

void PictureButton::show(State state) {
  state_ = state;
  const Image& image = shownImage();
  if (&image == shapeImage_) return;
  shapeImage_ = &image;
  // The window shape follows the image: its yellow pixels neither show nor take clicks.
  SetWindowRgn(window_, image.makeRegion(), TRUE);
  InvalidateRect(window_, nullptr, FALSE);
}

bool PictureButton::opaqueAt(int32_t x, int32_t y) const { return shownImage().opaqueAt(x, y); }

LRESULT PictureButton::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  int32_t x = static_cast<short>(LOWORD(lParam));
  int32_t y = static_cast<short>(HIWORD(lParam));
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      const Image& image = shownImage();
      HDC source = CreateCompatibleDC(dc);
      {
        ScopedSelectObject select(source, image.bitmap.get());
        BitBlt(dc, 0, 0, image.width, image.height, source, 0, 0, SRCCOPY);
      }
      DeleteDC(source);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (state_ == State::Pressed) return 0;  // held: the pressed image stays
      if (!tracking_) {
        TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, window_, 0};
        tracking_ = TrackMouseEvent(&track) != FALSE;
      }
      if (state_ != State::Hover) show(State::Hover);
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      if (state_ == State::Hover) show(State::Normal);
      return 0;
    case WM_LBUTTONDOWN:
      // While held, the button keeps the mouse to itself.
      SetCapture(window_);
      show(State::Pressed);
      return 0;
    case WM_LBUTTONUP: {
      if (state_ != State::Pressed) return 0;
      bool over = opaqueAt(x, y);
      show(over ? State::Hover : State::Normal);
      ReleaseCapture();
      if (over && IsWindowEnabled(window_) && clicked_ != nullptr) clicked_();
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (state_ == State::Pressed) show(State::Normal);
      return 0;
    case WM_ENABLE:
      show(state_);
      return 0;
  }
  return DefWindowProcA(window_, message, wParam, lParam);
}

LRESULT CALLBACK PictureButton::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
  auto* button = boundControl<PictureButton>(window, message, lParam);
  if (button == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  return button->handle(message, wParam, lParam);
}
