// The window toolkit as the windows see it: windows declared as tables of controls,
// handlers bound by control name, and the operations the handlers use. Nothing here
// names the platform; ui/qt/ implements it on Qt 6 Widgets, a Win32 backend later.
//
// Every name and text is GBK (control names are their Chinese names, as in the window
// designs); the backend decodes to Unicode only where it draws or reads a control.
#pragma once

#include "app/text.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace examclient::ui {

enum class ControlKind {
    Label,
    LineEdit, // single-line edit box
    TextBox,  // multi-line, wrapped, read-only edit box with a vertical scroll bar
    Button,   // push button that Enter does not press
    CheckBox,
    PictureBox,    // draws its picture at natural size from the top-left, cropped
    PageContainer, // pages of controls without a tab strip
    Timer,         // invisible
    Link,          // invisible: a ServerLink the window unit keeps (row for the record)
    Component,     // invisible: e.g. the ZIP component the window unit keeps
};

enum class Alignment { Left, Centre };

enum class BackgroundMode {
    None,  // the system face colour
    Tiled, // the picture tiled from the control's (or window's) own top-left corner
    Stretched,
};

struct Point {
    int x = 0;
    int y = 0;
};
struct Size {
    int width = 0;
    int height = 0;
};

// Pictures are named by file name under ui/images/ (compiled in as resources).
struct Background {
    BackgroundMode mode = BackgroundMode::None;
    const char* picture = nullptr;
};

struct ControlStyle {
    std::uint32_t textColour = 0x000000; // 0xRRGGBB
    int fontPixelHeight = 0;             // 0: the system's default GUI font
    Alignment alignment = Alignment::Left;
    Background background{};       // labels: the panel picture, tiled
    const char* picture = nullptr; // picture boxes
};

// One row of a window's control table, in creation order. Every member after `kind` has a
// default, so a row states only what differs.
struct ControlDefinition {
    const char* name; // GBK, the object name
    ControlKind kind;
    const char* container = nullptr; // nullptr: the window
    int page = 0;                    // page of a page-container parent
    Point at{};
    Size size{};
    Text text{}; // caption or content as created
    bool disabled = false;
    int tabOrder = -1; // -1: takes no focus by Tab
    ControlStyle style{};
    int pageCount = 0; // page containers
};

class Window;
using Handler = std::function<void(Window&)>;

// A component event (e.g. extractProgress) carries integer arguments; a handler may
// return a value.
using ComponentHandler = std::function<std::optional<std::int64_t>(Window&, const std::vector<std::int64_t>& args)>;

enum class EventKind { Clicked, Tick };

struct EventBinding {
    const char* control;
    EventKind event;
    Handler handler;
};

struct ComponentBinding {
    const char* control;
    int eventNumber;
    ComponentHandler handler;
};

// Everything a window is: settings, control table, handlers. `state` holds what the
// handlers share (links, components); it is destroyed with the window, after its
// controls, so the window's links close when the window is destroyed.
struct WindowDefinition {
    std::string name{}; // ASCII, unique among open windows: "LoginWindow"
    Text caption{};
    Size size{};
    Background background{};
    std::vector<ControlDefinition> controls{};
    Handler created{}; // before the window is first shown
    std::vector<EventBinding> bindings{};
    std::vector<ComponentBinding> componentBindings{};
    std::shared_ptr<void> state{};
};

// Builds a window's definition; called only when the window is not open yet.
struct WindowFactory {
    const char* name;
    std::function<WindowDefinition()> build;
};

// A live window. Handlers receive the window they belong to; other windows are found
// by name. Control names are GBK.
class Window {
public:
    virtual ~Window() = default;
    virtual const std::string& name() const = 0;

    virtual Text getText(std::string_view control) const = 0;
    virtual void setText(std::string_view control, std::string_view text) = 0;
    virtual void setDisabled(std::string_view control, bool disabled) = 0;
    virtual bool isDisabled(std::string_view control) const = 0;
    virtual void setVisible(std::string_view control, bool visible) = 0;
    virtual void setTimerPeriod(std::string_view timer, int milliseconds) = 0;
    virtual void setCurrentPage(std::string_view container, int index) = 0;

    virtual void setWindowVisible(bool visible) = 0;
    virtual bool isWindowVisible() const = 0;

    // Raises a component event on this window's binding; nothing when none is bound.
    virtual std::optional<std::int64_t> raiseComponentEvent(std::string_view control, int eventNumber,
                                                            const std::vector<std::int64_t>& args) = 0;

    // The window's shared state, as given in its definition.
    template <class T> T& state() const { return *static_cast<T*>(stateObject()); }

protected:
    virtual void* stateObject() const = 0;
};

enum class MessageStyle { Warning = 48, Information = 64, Error = 16 };

// Initialises the toolkit: the backend, the event loop of app/eventloop.h, the fatal
// error box; the program file's directory becomes the current directory.
void initialiseToolkit(int& argc, char** argv);
void shutdownToolkit();

// Creates the window, raises `created`, shows it without a taskbar entry, disables every
// other top-level window (each one's state restored afterwards) and runs a nested loop
// until the window is destroyed. An open window is only activated.
void openModal(const WindowFactory& factory);
// The same without the modal part, with a taskbar entry; returns once shown.
void openWindow(const WindowFactory& factory);
// Dispatches events until the quit request; returns its value. The quit request (0) is
// posted when the last window of the program is destroyed, hidden ones counting.
int runMessageLoop();

// nullptr when no window of that name exists.
Window* findWindow(std::string_view name);
bool anyWindowExists();
// Destroys the window once the thread is back in a message loop.
void closeWindow(Window& window);

// One OK button, no owner; blocks all windows of the thread until answered.
void messageBox(std::string_view text, MessageStyle style, std::string_view title);

// Tests answer message boxes here: the hook sees each box instead of a person.
using MessageBoxHook = std::function<void(const Text& text, MessageStyle style, const Text& title)>;
void setMessageBoxHook(MessageBoxHook hook);

} // namespace examclient::ui
