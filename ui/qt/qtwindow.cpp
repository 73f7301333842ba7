#include "ui/qt/qtwindow.h"

#include "ui/qt/qtcontrols.h"
#include "ui/qt/qttoolkit.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <utility>

namespace examclient::qt {
namespace {

void reportUnknownControl(const std::string& window, std::string_view control)
{
    // A misspelt control name in a window table is a programming error; say so on the
    // console instead of failing silently, and carry on as the handler expects.
    std::fprintf(stderr, "examclient: window %s has no control \"%s\"\n", window.c_str(),
                 toQString(control).toUtf8().constData());
}

Qt::WindowFlags topLevelFlags(TaskbarEntry taskbar)
{
    // Frameless: no caption bar, system menu or buttons. A tool window gets no taskbar
    // entry on X11 and Windows alike.
    const Qt::WindowFlags kind = taskbar == TaskbarEntry::Hidden ? Qt::Tool : Qt::Window;
    return kind | Qt::FramelessWindowHint;
}

// Plain text: CR LF and a lone CR are line breaks to a multi-line box.
QString toMultiLine(std::string_view gbk)
{
    QString text = toQString(gbk);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString fromMultiLine(QString text)
{
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void paintBlackOnWhite(QWidget& widget)
{
    QPalette colours = widget.palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    widget.setPalette(colours);
}

} // namespace

WindowWidget::WindowWidget(QtWindow& owner, const ui::WindowDefinition& definition, TaskbarEntry taskbar)
    : QWidget(nullptr, topLevelFlags(taskbar)), m_owner(owner), m_mode(definition.background.mode),
      m_picture(loadPicture(definition.background.picture))
{
    setObjectName(QString::fromLatin1(definition.name.data(), static_cast<qsizetype>(definition.name.size())));
    setWindowTitle(toQString(definition.caption));
    setFixedSize(definition.size.width, definition.size.height);
}

bool WindowWidget::eventFilter(QObject* watched, QEvent* event)
{
    // Esc closes the window whichever control has the focus.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        m_owner.requestDestroy();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void WindowWidget::paintEvent(QPaintEvent*)
{
    paintBackground(*this, m_mode, m_picture);
}

void WindowWidget::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_owner.requestDestroy();
        return;
    }
    QWidget::keyPressEvent(event);
}

void WindowWidget::closeEvent(QCloseEvent* event)
{
    // The window goes by its own destruction, never by Qt's hide-on-close. A disabled
    // window (under a modal one) takes no close command, as it takes no input.
    event->ignore();
    if (isEnabled())
        m_owner.requestDestroy();
}

QtWindow::QtWindow(ui::WindowDefinition definition, TaskbarEntry taskbar)
    : m_definition(std::move(definition)), m_widget(std::make_unique<WindowWidget>(*this, m_definition, taskbar))
{
    createControls();
    bindHandlers();
    setTabOrder();
}

QtWindow::~QtWindow()
{
    // The controls go first, then (with the definition) the state and the handlers.
    m_controls.clear();
    m_widget.reset();
}

void QtWindow::createControls()
{
    // Rows may name a container that a later row creates, so every control is made on
    // the window first and moved into its container afterwards, both in table order
    // so that later rows stay above earlier ones.
    struct Pending {
        const ui::ControlDefinition* row;
        QWidget* widget;
    };
    std::vector<Pending> placed;
    std::map<std::string, QStackedWidget*, std::less<>> pageContainers;
    QWidget* window = m_widget.get();

    for (const ui::ControlDefinition& row : m_definition.controls) {
        Control control{row.kind};
        QWidget* widget = nullptr;
        switch (row.kind) {
        case ui::ControlKind::Label: {
            auto* label = new PictureLabel(window, row.style);
            label->setText(toQString(row.text));
            widget = label;
            break;
        }
        case ui::ControlKind::LineEdit: {
            auto* edit = new QLineEdit(window);
            edit->setMaxLength(INT_MAX);
            edit->setFrame(true);
            edit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            paintBlackOnWhite(*edit);
            edit->setText(toQString(row.text));
            widget = edit;
            break;
        }
        case ui::ControlKind::TextBox: {
            auto* box = new QPlainTextEdit(window);
            box->setReadOnly(true);
            box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
            box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
            box->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
            box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            box->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
            box->setTabChangesFocus(true);
            paintBlackOnWhite(*box);
            box->setPlainText(toMultiLine(row.text));
            widget = box;
            break;
        }
        case ui::ControlKind::Button: {
            auto* button = new QPushButton(toQString(row.text), window);
            button->setAutoDefault(false);
            button->setDefault(false);
            widget = button;
            break;
        }
        case ui::ControlKind::CheckBox:
            widget = new CheckBox(toQString(row.text), window);
            break;
        case ui::ControlKind::PictureBox:
            widget = new PictureBox(window, row.style.picture);
            break;
        case ui::ControlKind::PageContainer: {
            auto* pages = new QStackedWidget(window);
            for (int page = 0; page < std::max(row.pageCount, 1); ++page) {
                auto* face = new QWidget(pages);
                face->setAutoFillBackground(true);
                pages->addWidget(face);
            }
            pages->setCurrentIndex(0);
            pageContainers.emplace(row.name, pages);
            widget = pages;
            break;
        }
        case ui::ControlKind::Timer: {
            control.timer = new WindowTimer(window);
            control.timer->setObjectName(toQString(row.name));
            control.timer->setSuppressed(row.disabled);
            break;
        }
        case ui::ControlKind::Link:
        case ui::ControlKind::Component:
            break;
        }
        if (widget) {
            widget->setObjectName(toQString(row.name));
            widget->setGeometry(row.at.x, row.at.y, row.size.width, row.size.height);
            widget->setEnabled(!row.disabled);
            widget->installEventFilter(window);
            placed.push_back({&row, widget});
        }
        control.widget = widget;
        if (!m_controls.emplace(row.name, control).second)
            std::fprintf(stderr, "examclient: window %s names a control twice\n", m_definition.name.c_str());
    }

    for (const Pending& pending : placed) {
        const char* container = pending.row->container;
        if (!container)
            continue;
        QWidget* parent = nullptr;
        if (auto pages = pageContainers.find(std::string_view(container)); pages != pageContainers.end())
            parent = pages->second->widget(std::clamp(pending.row->page, 0, pages->second->count() - 1));
        else if (const Control* found = findControl(container); found && found->widget)
            parent = found->widget;
        if (!parent) {
            reportUnknownControl(m_definition.name, container);
            continue;
        }
        pending.widget->setParent(parent);
        pending.widget->setGeometry(pending.row->at.x, pending.row->at.y, pending.row->size.width,
                                    pending.row->size.height);
        pending.widget->setVisible(true);
    }
}

void QtWindow::bindHandlers()
{
    for (const ui::EventBinding& binding : m_definition.bindings) {
        const Control* control = findControl(binding.control);
        if (!control) {
            reportUnknownControl(m_definition.name, binding.control);
            continue;
        }
        const ui::Handler* handler = &binding.handler;
        auto run = [this, handler] { runHandler([this, handler] { (*handler)(*this); }); };
        if (binding.event == ui::EventKind::Tick && control->timer) {
            control->timer->setOnTick(run);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control->widget);
                   button && binding.event == ui::EventKind::Clicked) {
            QObject::connect(button, &QAbstractButton::clicked, button, run);
        } else {
            reportUnknownControl(m_definition.name, binding.control);
        }
    }
}

void QtWindow::setTabOrder()
{
    std::vector<std::pair<int, QWidget*>> order;
    for (const ui::ControlDefinition& row : m_definition.controls) {
        const Control* control = findControl(row.name);
        if (!control || !control->widget)
            continue;
        switch (row.kind) {
        case ui::ControlKind::LineEdit:
        case ui::ControlKind::TextBox:
        case ui::ControlKind::Button:
        case ui::ControlKind::CheckBox:
            if (row.tabOrder >= 0) {
                control->widget->setFocusPolicy(Qt::StrongFocus);
                order.emplace_back(row.tabOrder, control->widget);
            } else {
                control->widget->setFocusPolicy(Qt::ClickFocus);
            }
            break;
        default:
            control->widget->setFocusPolicy(Qt::NoFocus);
            break;
        }
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    for (std::size_t i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1].second, order[i].second);
}

const QtWindow::Control* QtWindow::findControl(std::string_view name) const
{
    auto found = m_controls.find(name);
    return found == m_controls.end() ? nullptr : &found->second;
}

void QtWindow::runHandler(const std::function<void()>& handler)
{
    ++m_runningHandlers;
    handler();
    --m_runningHandlers;
    if (m_runningHandlers == 0 && m_destroyRequested) {
        m_destroyRequested = false;
        requestDestroy();
    }
}

void QtWindow::requestDestroy()
{
    if (m_destroyPosted)
        return;
    m_destroyPosted = true;
    // Posted to the application, not to the window: the window must not be deleted
    // from inside one of its own events.
    QPointer<WindowWidget> alive(m_widget.get());
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [this, alive] {
            if (!alive)
                return;
            m_destroyPosted = false;
            destroyWhenIdle();
        },
        Qt::QueuedConnection);
}

void QtWindow::destroyWhenIdle()
{
    if (m_runningHandlers > 0) {
        // Gone for the examinee at once; the object goes when its handlers are done.
        m_destroyRequested = true;
        m_widget->hide();
        return;
    }
    destroyWindow(*this);
}

void QtWindow::raiseCreated()
{
    if (m_definition.created)
        runHandler([this] { m_definition.created(*this); });
}

void QtWindow::showCentred()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        m_widget->move(area.x() + (area.width() - m_widget->width()) / 2,
                       area.y() + (area.height() - m_widget->height()) / 2);
    }
    // The first enabled control of the tab order starts with the focus.
    for (QWidget* next = m_widget->nextInFocusChain(); next && next != m_widget.get();
         next = next->nextInFocusChain()) {
        if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled()) {
            next->setFocus(Qt::TabFocusReason);
            break;
        }
    }
    m_widget->show();
    m_widget->activateWindow();
}

void QtWindow::activate()
{
    m_widget->raise();
    m_widget->activateWindow();
}

Text QtWindow::getText(std::string_view name) const
{
    const Control* control = findControl(name);
    if (!control || !control->widget) {
        reportUnknownControl(m_definition.name, name);
        return {};
    }
    QWidget* widget = control->widget;
    if (auto* label = qobject_cast<QLabel*>(widget))
        return toText(label->text());
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return toText(edit->text());
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        return toText(fromMultiLine(box->toPlainText()));
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        return toText(button->text());
    return {};
}

void QtWindow::setText(std::string_view name, std::string_view text)
{
    const Control* control = findControl(name);
    if (!control || !control->widget) {
        reportUnknownControl(m_definition.name, name);
        return;
    }
    QWidget* widget = control->widget;
    if (auto* label = qobject_cast<QLabel*>(widget))
        label->setText(toQString(text));
    else if (auto* edit = qobject_cast<QLineEdit*>(widget))
        edit->setText(toQString(text));
    else if (auto* box = qobject_cast<QPlainTextEdit*>(widget))
        box->setPlainText(toMultiLine(text));
    else if (auto* button = qobject_cast<QAbstractButton*>(widget))
        button->setText(toQString(text));
}

void QtWindow::setDisabled(std::string_view name, bool disabled)
{
    const Control* control = findControl(name);
    if (!control) {
        reportUnknownControl(m_definition.name, name);
        return;
    }
    if (control->widget)
        control->widget->setEnabled(!disabled);
    if (control->timer)
        control->timer->setSuppressed(disabled);
}

bool QtWindow::isDisabled(std::string_view name) const
{
    const Control* control = findControl(name);
    if (!control) {
        reportUnknownControl(m_definition.name, name);
        return false;
    }
    // The control's own flag: a control of a window disabled under a modal one keeps
    // reading as enabled, as it will be again.
    if (control->widget)
        return control->widget->testAttribute(Qt::WA_ForceDisabled);
    return control->timer && control->timer->isSuppressed();
}

void QtWindow::setVisible(std::string_view name, bool visible)
{
    const Control* control = findControl(name);
    if (!control) {
        reportUnknownControl(m_definition.name, name);
        return;
    }
    if (control->widget)
        control->widget->setVisible(visible);
}

void QtWindow::setTimerPeriod(std::string_view name, int milliseconds)
{
    const Control* control = findControl(name);
    if (!control || !control->timer) {
        reportUnknownControl(m_definition.name, name);
        return;
    }
    control->timer->setPeriod(milliseconds);
}

void QtWindow::setCurrentPage(std::string_view name, int index)
{
    const Control* control = findControl(name);
    auto* pages = control ? qobject_cast<QStackedWidget*>(control->widget) : nullptr;
    if (!pages) {
        reportUnknownControl(m_definition.name, name);
        return;
    }
    pages->setCurrentIndex(std::clamp(index, 0, pages->count() - 1));
}

void QtWindow::setWindowVisible(bool visible)
{
    m_widget->setVisible(visible);
}

bool QtWindow::isWindowVisible() const
{
    return m_widget->isVisible();
}

std::optional<std::int64_t> QtWindow::raiseComponentEvent(std::string_view control, int eventNumber,
                                                          const std::vector<std::int64_t>& args)
{
    for (const ui::ComponentBinding& binding : m_definition.componentBindings) {
        if (binding.eventNumber != eventNumber || control != binding.control || !binding.handler)
            continue;
        std::optional<std::int64_t> result;
        runHandler([&] { result = binding.handler(*this, args); });
        return result;
    }
    return std::nullopt;
}

} // namespace examclient::qt
