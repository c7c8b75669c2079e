#include "platform/window_win.h"

#include <algorithm>

#include "platform/runtime_win.h"

const char kMainWindowClass[] = "MervantisMainWindow";
const char kPictureButtonClass[] = "MervantisPictureButton";
const char kCanvasClass[] = "MervantisCanvas";
const char kRelayLabelClass[] = "MervantisRelayLabel";
const char kZipControlClass[] = "MervantisZipControl";
const char kMoviePlayerClass[] = "MervantisMoviePlayer";

namespace {

constexpr int32_t kLargestSize = 32627;
constexpr UINT kFeedbackMessage = WM_APP + 2;

HINSTANCE programInstance() { return GetModuleHandleA(nullptr); }

HWND createChild(const char* className, const ControlDescription& description, HWND parent,
                 int id, DWORD style, DWORD extendedStyle, void* object) {
  if (description.visible) style |= WS_VISIBLE;
  return CreateWindowExA(extendedStyle, className, "", WS_CHILD | WS_CLIPSIBLINGS | style,
                         description.x, description.y, description.width, description.height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         programInstance(), object);
}

// The object given to CreateWindowEx, kept in the window's user data.
template <typename T>
T* objectOf(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return object;
  }
  return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

int32_t clampSize(int32_t size) { return std::clamp<int32_t>(size, 0, kLargestSize); }

}  // namespace

bool registerClass(const char* name, WNDPROC procedure, HBRUSH background) {
  WNDCLASSA windowClass = {};
  if (GetClassInfoA(programInstance(), name, &windowClass)) return true;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = programInstance();
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = background;
  windowClass.lpszClassName = name;
  return RegisterClassA(&windowClass) != 0;
}

HBITMAP createImageBitmap(int32_t width, int32_t height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  return CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
}

// ---- WindowObject -----------------------------------------------------------------------

int32_t WindowObject::width() const {
  RECT rect = {};
  GetWindowRect(window_, &rect);
  return rect.right - rect.left;
}

int32_t WindowObject::height() const {
  RECT rect = {};
  GetWindowRect(window_, &rect);
  return rect.bottom - rect.top;
}

void WindowObject::setWidth(int32_t width) {
  SetWindowPos(window_, nullptr, 0, 0, clampSize(width), height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WindowObject::setHeight(int32_t height) {
  SetWindowPos(window_, nullptr, 0, 0, width(), clampSize(height),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool WindowObject::visible() const {
  return (GetWindowLongPtrA(window_, GWL_STYLE) & WS_VISIBLE) != 0;
}

void WindowObject::setVisible(bool visible) {
  ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE);
}

std::string WindowObject::text() const {
  int length = GetWindowTextLengthA(window_);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = GetWindowTextA(window_, text.data(), length + 1);
  text.resize(static_cast<size_t>(std::max(copied, 0)));
  return text;
}

void WindowObject::setText(const std::string& text) { SetWindowTextA(window_, text.c_str()); }

// ---- Canvas -----------------------------------------------------------------------------

Canvas::Canvas(const ControlDescription& description) : Control(description) {}

Canvas::~Canvas() {
  if (originalBitmap_ != nullptr) SelectObject(memoryDc_.get(), originalBitmap_);
}

bool Canvas::create(HWND parent, int id) {
  if (!registerClass(kCanvasClass, windowProc, nullptr)) return false;
  const ControlDescription& d = description();
  memoryDc_.reset(CreateCompatibleDC(nullptr));
  image_.reset(createImageBitmap(d.width, d.height));
  if (!memoryDc_ || !image_) return false;
  originalBitmap_ = SelectObject(memoryDc_.get(), image_.get());
  RECT all = {0, 0, d.width, d.height};
  ScopedBrush white(CreateSolidBrush(background()));
  FillRect(memoryDc_.get(), &all, white.get());
  window_ = createChild(kCanvasClass, d, parent, id, 0, 0, this);
  return window_ != nullptr;
}

void Canvas::copyFrom(Canvas& source) {
  if (&source == this) return;
  // Both locks, always in the same order, so two copies in opposite directions cannot
  // deadlock.
  Canvas* first = this < &source ? this : &source;
  Canvas* second = this < &source ? &source : this;
  {
    Lock firstLock(first);
    Lock secondLock(second);
    const ControlDescription& d = source.description();
    BitBlt(memoryDc_.get(), 0, 0, d.width, d.height, source.memoryDc_.get(), 0, 0, SRCCOPY);
  }
  invalidate();
}

void Canvas::invalidate() { InvalidateRect(window_, nullptr, FALSE); }

LRESULT CALLBACK Canvas::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Canvas* canvas = objectOf<Canvas>(window, message, lParam);
  switch (message) {
    case WM_ERASEBKGND:
      return 1;  // the paint covers everything; erasing first would flicker
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (canvas != nullptr) {
        Lock lock(canvas);
        const ControlDescription& d = canvas->description();
        BitBlt(dc, 0, 0, d.width, d.height, canvas->memoryDc_.get(), 0, 0, SRCCOPY);
      }
      EndPaint(window, &paint);
      return 0;
    }
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// ---- EditBox ----------------------------------------------------------------------------

EditBox::~EditBox() = default;

bool EditBox::create(HWND parent, int id) {
  window_ = createChild("EDIT", description(), parent, id, ES_AUTOHSCROLL | WS_TABSTOP,
                        WS_EX_CLIENTEDGE, nullptr);
  if (window_ == nullptr) return false;
  font_.reset(CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, "宋体"));
  if (font_) SendMessageA(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  return true;
}

// ---- RelayLabel -------------------------------------------------------------------------

bool RelayLabel::create(HWND parent, int id) {
  if (!registerClass(kRelayLabelClass, windowProc, nullptr)) return false;
  window_ = createChild(kRelayLabelClass, description(), parent, id, 0, 0, this);
  if (window_ != nullptr) SetWindowTextA(window_, description().designName);
  return window_ != nullptr;
}

int32_t RelayLabel::fireFeedback(int32_t first, int32_t second) {
  return static_cast<int32_t>(SendMessageA(window_, kFeedbackMessage, static_cast<WPARAM>(first),
                                           static_cast<LPARAM>(second)));
}

LRESULT CALLBACK RelayLabel::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  RelayLabel* label = objectOf<RelayLabel>(window, message, lParam);
  if (message == kFeedbackMessage && label != nullptr && label->feedback_ != nullptr)
    return label->feedback_(static_cast<int32_t>(wParam), static_cast<int32_t>(lParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

// ---- ZipControl -------------------------------------------------------------------------

bool ZipControl::create(HWND parent, int id) {
  if (!registerClass(kZipControlClass, DefWindowProcA, nullptr)) return false;
  window_ = createChild(kZipControlClass, description(), parent, id, 0, 0, nullptr);
  return window_ != nullptr;
}

void ZipControl::setEventHandler(int index, ZipEventHandler handler) {
  if (index >= 0 && index < kEventCount) handlers_[index] = handler;
}

void ZipControl::raiseEvent(int index, int32_t argument) {
  if (index < 0 || index >= kEventCount || handlers_[index] == nullptr) return;
  if (IsWindow(window_)) handlers_[index](argument);
}

// ---- Form -------------------------------------------------------------------------------

namespace {

std::unique_ptr<Control> makeControl(const ControlDescription& description) {
  switch (description.kind) {
    case ControlKind::PictureButton: return std::make_unique<PictureButton>(description);
    case ControlKind::Canvas: return std::make_unique<Canvas>(description);
    case ControlKind::EditBox: return std::make_unique<EditBox>(description);
    case ControlKind::Label: return std::make_unique<RelayLabel>(description);
    case ControlKind::ZipControl: return std::make_unique<ZipControl>(description);
    case ControlKind::MoviePlayer: return std::make_unique<MoviePlayer>(description);
  }
  return nullptr;
}

bool createControl(Control& control, HWND parent, int id) {
  switch (control.description().kind) {
    case ControlKind::PictureButton: return static_cast<PictureButton&>(control).create(parent, id);
    case ControlKind::Canvas: return static_cast<Canvas&>(control).create(parent, id);
    case ControlKind::EditBox: return static_cast<EditBox&>(control).create(parent, id);
    case ControlKind::Label: return static_cast<RelayLabel&>(control).create(parent, id);
    case ControlKind::ZipControl: return static_cast<ZipControl&>(control).create(parent, id);
    case ControlKind::MoviePlayer: return static_cast<MoviePlayer&>(control).create(parent, id);
  }
  return false;
}

}  // namespace

Form& Form::open(const WindowDescription& description, CreatedHandler created) {
  if (description.controls == nullptr || description.controlCount == 0)
    fatalRuntimeError(kFaultWindowDescription);
  if (!registerClass(kMainWindowClass, windowProc, nullptr)) fatalRuntimeError(kFaultMainWindow);

  // Lives until the process ends: workers may still reach the controls during the exit.
  Form& form = *new Form();
  int32_t left = (GetSystemMetrics(SM_CXSCREEN) - description.width) / 2;
  int32_t top = (GetSystemMetrics(SM_CYSCREEN) - description.height) / 2;
  DWORD extendedStyle = WS_EX_APPWINDOW | (description.alwaysOnTop ? WS_EX_TOPMOST : 0);
  form.window_ = CreateWindowExA(extendedStyle, kMainWindowClass, description.caption,
                                 WS_POPUP | WS_CLIPCHILDREN, left, top, description.width,
                                 description.height, nullptr, nullptr, programInstance(), &form);
  if (form.window_ == nullptr) fatalRuntimeError(kFaultMainWindow);

  for (size_t i = 0; i < description.controlCount; ++i) {
    std::unique_ptr<Control> control = makeControl(description.controls[i]);
    if (control == nullptr) fatalRuntimeError(kFaultWindowDescription);
    // A control that cannot be created simply does not exist; the program asks.
    if (createControl(*control, form.window_, static_cast<int>(i + 1))) {
      // Each control goes beneath those before it: the first described lies on top.
      SetWindowPos(control->handle(), HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    form.controls_.push_back(std::move(control));
  }

  if (created != nullptr) created(form);
  ShowWindow(form.window_, SW_SHOWNORMAL);
  UpdateWindow(form.window_);
  return form;
}

WindowPosition Form::position() const {
  if (IsIconic(window_)) return WindowPosition::Minimized;
  if (IsZoomed(window_)) return WindowPosition::Maximized;
  return WindowPosition::Normal;
}

void Form::setPosition(WindowPosition position) {
  if (!IsWindowVisible(window_)) return;
  switch (position) {
    case WindowPosition::Normal: ShowWindow(window_, SW_RESTORE); break;
    case WindowPosition::Centred: {
      ShowWindow(window_, SW_RESTORE);
      int32_t left = (GetSystemMetrics(SM_CXSCREEN) - width()) / 2;
      int32_t top = (GetSystemMetrics(SM_CYSCREEN) - height()) / 2;
      SetWindowPos(window_, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    }
    case WindowPosition::Minimized: ShowWindow(window_, SW_MINIMIZE); break;
    case WindowPosition::Maximized: ShowWindow(window_, SW_MAXIMIZE); break;
  }
}

bool Form::alwaysOnTop() const {
  return (GetWindowLongPtrA(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

void Form::setAlwaysOnTop(bool onTop) {
  SetWindowPos(window_, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT CALLBACK Form::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  objectOf<Form>(window, message, lParam);
  switch (message) {
    case WM_ERASEBKGND: {
      RECT rect;
      GetClientRect(window, &rect);
      FillRect(reinterpret_cast<HDC>(wParam), &rect,
               static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
      return 1;
    }
    case WM_DESTROY:
      // The program's only window: with it gone, the message loop ends.
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
