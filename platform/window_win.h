// The main window and its controls as the program sees them: a window built from its
// description, with the properties the program reads and writes.
//
// Threads: every property write and every canvas drawing is safe from any thread. Property
// writes go through the system's own cross-thread window calls, which the window thread carries
// out synchronously and so in the order they were made; canvas drawing works on the canvas's
// memory image under the canvas's lock and then asks the window thread to repaint.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/scoped_handles_win.h"
#include "platform/window_description.h"

// A system window seen through the run time's numbered properties.
class WindowObject {
 public:
  virtual ~WindowObject() = default;
  WindowObject(const WindowObject&) = delete;
  WindowObject& operator=(const WindowObject&) = delete;

  // The system window; null for a control that could not be created.
  HWND handle() const { return window_; }
  bool exists() const { return window_ != nullptr; }

  // Width and height in pixels (properties 2 and 3). A written value is clamped to 0 … 32627.
  int32_t width() const;
  int32_t height() const;
  void setWidth(int32_t width);
  void setHeight(int32_t height);

  // Visibility (property 5).
  bool visible() const;
  void setVisible(bool visible);

  // The window's caption or the edit box's content (property 8).
  std::string text() const;
  void setText(const std::string& text);

 protected:
  WindowObject() = default;
  HWND window_ = nullptr;
};

// A control of the window. Its handlers run on the window thread unless said otherwise.
class Control : public WindowObject {
 public:
  const ControlDescription& description() const { return *description_; }

 protected:
  explicit Control(const ControlDescription& description) : description_(&description) {}

  // For a control whose object handles its own window's messages: the object given to
  // CreateWindowEx, bound to its window from WM_NCCREATE on; null for messages before it.
  template <typename T>
  static T* boundControl(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      auto* control = static_cast<T*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      control->window_ = window;
      SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    }
    return reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  }

  const ControlDescription* description_;
};

using ClickedHandler = void (*)();

class PictureButton : public Control {
 public:
  explicit PictureButton(const ControlDescription& description);
  ~PictureButton() override;
  bool create(HWND parent, int id);

  // Fires when the left button is released over the enabled button.
  void setClickedHandler(ClickedHandler handler) { clicked_ = handler; }

  struct Image;  // a bitmap with its pixels and its shape

 private:
  enum class State { Normal, Hover, Pressed };
  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  const Image& shownImage() const;
  void show(State state);
  bool opaqueAt(int32_t x, int32_t y) const;

  std::vector<std::unique_ptr<Image>> images_;  // normal, hover, pressed, disabled; null if missing
  State state_ = State::Normal;
  const Image* shapeImage_ = nullptr;  // the image whose shape the window region has now
  bool tracking_ = false;
  ClickedHandler clicked_ = nullptr;
};

// A canvas: a memory image of the client area, which every repaint shows.
class Canvas : public Control {
 public:
  explicit Canvas(const ControlDescription& description);
  ~Canvas() override;
  bool create(HWND parent, int id);

  // Runs paint(dc) on the memory image (32-bit, the canvas's design size) under the canvas's
  // lock, then has the window show the new image. Safe from any thread; paint must not wait
  // for the window thread.
  template <typename Paint>
  void draw(Paint&& paint) {
    {
      Lock lock(this);
      paint(memoryDc_.get());
    }
    invalidate();
  }

  // Copies source's whole image onto this canvas at (0, 0), a plain source copy, into the
  // memory image and so onto the window. Safe from any thread.
  void copyFrom(Canvas& source);

  COLORREF background() const { return RGB(255, 255, 255); }

 private:
  class Lock {
   public:
    explicit Lock(Canvas* canvas) : lock_(&canvas->lock_) { AcquireSRWLockExclusive(lock_); }
    ~Lock() { ReleaseSRWLockExclusive(lock_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    SRWLOCK* lock_;
  };
  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  void invalidate();

  SRWLOCK lock_ = SRWLOCK_INIT;
  ScopedMemoryDc memoryDc_;
  ScopedBitmap image_;
  HGDIOBJ originalBitmap_ = nullptr;
};

class EditBox : public Control {
 public:
  explicit EditBox(const ControlDescription& description) : Control(description) {}
  ~EditBox() override;
  bool create(HWND parent, int id);

 private:
  ScopedFont font_;
};

using FeedbackHandler = int32_t (*)(int32_t first, int32_t second);

// An invisible label whose feedback event carries a call to the window thread.
class RelayLabel : public Control {
 public:
  explicit RelayLabel(const ControlDescription& description) : Control(description) {}
  bool create(HWND parent, int id);
  void setFeedbackHandler(FeedbackHandler handler) { feedback_ = handler; }

  // Runs the feedback handler on the window thread and returns its result once it has
  // returned; the calling thread waits. 0 when there is no handler or no window.
  int32_t fireFeedback(int32_t first, int32_t second);

 private:
  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  FeedbackHandler feedback_ = nullptr;
};

using ZipEventHandler = void (*)(int32_t argument);

// The never-visible ZIP control: its events are raised and handled on the raising thread.
class ZipControl : public Control {
 public:
  static constexpr int kEventCount = 2;
  explicit ZipControl(const ControlDescription& description) : Control(description) {}
  bool create(HWND parent, int id);
  void setEventHandler(int index, ZipEventHandler handler);

  // Runs the handler of event index with argument on the calling thread, when the control's
  // window exists; returns when the handler has returned.
  void raiseEvent(int index, int32_t argument);

 private:
  ZipEventHandler handlers_[kEventCount] = {};
};

// The movie player: a host window with a white background that plays an animated image (a
// GIF), frame by frame with each frame's own delay, behind its sibling controls. It exists only
// when it could be created and images can be decoded. Window thread only.
class MoviePlayer : public Control {
 public:
  explicit MoviePlayer(const ControlDescription& description);
  ~MoviePlayer() override;
  bool create(HWND parent, int id);

  // Loads the movie in the file at path (GBK) and shows its first frame, stopped. A file that
  // cannot be read or decoded leaves the player without a movie, white. False then.
  bool loadMovie(const std::string& path);

  // Plays the loaded movie from the frame shown, looping: a timer on the window thread shows
  // each frame for its own delay. False when there is no movie.
  bool playMovie();
  void pauseMovie();
  bool playing() const { return playing_; }

  // Suppresses the right-click menu of the first player window beneath window (its children
  // and their descendants): right button down is answered there and goes no further. Nothing
  // happens when window is null or holds no player.
  static void disableContextMenu(HWND window);

 private:
  struct Movie;  // the decoded movie and where it stands
  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void showFrame(uint32_t index);
  void showNextFrame();
  void showMenu(LPARAM point);

  std::unique_ptr<Movie> movie_;
  ScopedMemoryDc frameDc_;  // the picture every repaint shows: the frame, drawn on white
  ScopedBitmap frameImage_;
  HGDIOBJ originalBitmap_ = nullptr;
  bool playing_ = false;
};

class Form;

// Window position (property 18).
enum class WindowPosition : int32_t { Normal = 0, Centred = 1, Minimized = 2, Maximized = 3 };

// Runs before the window is first shown; the window is complete with its controls.
using CreatedHandler = void (*)(Form& window);

// The program's window, built from its description.
class Form : public WindowObject {
 public:
  // Creates the window hidden, centred on the screen, always on top, with its controls in
  // stacking order; runs created; then shows the window. A description that cannot be read
  // or a window that cannot be created is a fatal fault of the run time.
  static Form& open(const WindowDescription& description, CreatedHandler created);

  template <typename T>
  T& control(size_t index) const {
    return static_cast<T&>(*controls_.at(index));
  }

  // Position (property 18): a written value takes effect only while the window is visible.
  WindowPosition position() const;
  void setPosition(WindowPosition position);

  // Always on top (property 29).
  bool alwaysOnTop() const;
  void setAlwaysOnTop(bool onTop);

 private:
  Form() = default;
  static LRESULT CALLBACK windowProc(HWND, UINT, WPARAM, LPARAM);
  std::vector<std::unique_ptr<Control>> controls_;
};

// Registers one of the run time's window classes once; true when it is registered.
bool registerClass(const char* name, WNDPROC procedure, HBRUSH background);

// A 32-bit top-down DIB section of width x height pixels, for a control's memory image; null
// when it cannot be made. The caller owns it.
HBITMAP createImageBitmap(int32_t width, int32_t height);

// Window class names of the run time's own windows.
extern const char kMainWindowClass[];
extern const char kPictureButtonClass[];
extern const char kCanvasClass[];
extern const char kRelayLabelClass[];
extern const char kZipControlClass[];
extern const char kMoviePlayerClass[];
