// A window of the toolkit on Qt: a frameless top-level widget built from the window's
// control table, with its handlers bound by control name.
#pragma once

#include "ui/toolkit.h"

#include <QPixmap>
#include <QWidget>

#include <map>
#include <memory>
#include <string>

namespace examclient::qt {

class QtWindow;
class WindowTimer;

// Modal windows have no taskbar entry; the start-up window has one.
enum class TaskbarEntry { Shown, Hidden };

// The top-level widget of a QtWindow: draws the window background and turns Esc and
// the system's close command into a close request.
class WindowWidget final : public QWidget {
public:
    WindowWidget(QtWindow& owner, const ui::WindowDefinition& definition, TaskbarEntry taskbar);

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QtWindow& m_owner;
    ui::BackgroundMode m_mode;
    QPixmap m_picture;
};

class QtWindow final : public ui::Window {
public:
    QtWindow(ui::WindowDefinition definition, TaskbarEntry taskbar);
    ~QtWindow() override;
    QtWindow(const QtWindow&) = delete;
    QtWindow& operator=(const QtWindow&) = delete;

    const std::string& name() const override { return m_definition.name; }

    Text getText(std::string_view control) const override;
    void setText(std::string_view control, std::string_view text) override;
    void setDisabled(std::string_view control, bool disabled) override;
    bool isDisabled(std::string_view control) const override;
    void setVisible(std::string_view control, bool visible) override;
    void setTimerPeriod(std::string_view timer, int milliseconds) override;
    void setCurrentPage(std::string_view container, int index) override;

    void setWindowVisible(bool visible) override;
    bool isWindowVisible() const override;

    std::optional<std::int64_t> raiseComponentEvent(std::string_view control, int eventNumber,
                                                    const std::vector<std::int64_t>& args) override;

    WindowWidget& widget() const { return *m_widget; }

    // Raises `created`; the window is not shown yet.
    void raiseCreated();
    // Centres the window on the screen and shows it, the focus on the first control
    // of the tab order.
    void showCentred();
    void activate();

    // Destroys the window once the thread is back in a message loop, and not before
    // every handler of this window that is running has returned: a handler waiting in
    // a nested loop must not find its window gone.
    void requestDestroy();

protected:
    void* stateObject() const override { return m_definition.state.get(); }

private:
    struct Control {
        ui::ControlKind kind;
        QWidget* widget = nullptr;    // nullptr for the invisible kinds
        WindowTimer* timer = nullptr; // timers only
    };

    void createControls();
    void bindHandlers();
    void setTabOrder();
    const Control* findControl(std::string_view name) const;
    // Runs one handler of this window, keeping the window alive while it runs.
    void runHandler(const std::function<void()>& handler);
    void destroyWhenIdle();

    // Declared first so it goes last: the state (links, components) outlives the
    // controls, and the handlers outlive both.
    ui::WindowDefinition m_definition;
    std::unique_ptr<WindowWidget> m_widget;
    std::map<std::string, Control, std::less<>> m_controls;
    int m_runningHandlers = 0;
    bool m_destroyRequested = false;
    bool m_destroyPosted = false;
};

} // namespace examclient::qt
