#include "ui/qt/qtcontrols.h"

#include "app/gbk.h"

#include <QPaintEvent>
#include <QPainter>

#include <utility>

namespace examclient::qt {

QPixmap loadPicture(const char* fileName)
{
    if (!fileName || !*fileName)
        return {};
    return QPixmap(QStringLiteral(":/images/") + QString::fromUtf8(gbkToUtf8(fileName)));
}

void paintBackground(QWidget& widget, ui::BackgroundMode mode, const QPixmap& picture)
{
    QPainter painter(&widget);
    painter.fillRect(widget.rect(), widget.palette().window());
    if (picture.isNull())
        return;
    switch (mode) {
    case ui::BackgroundMode::None:
        break;
    case ui::BackgroundMode::Tiled:
        painter.drawTiledPixmap(widget.rect(), picture, QPoint(0, 0));
        break;
    case ui::BackgroundMode::Stretched:
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(widget.rect(), picture);
        break;
    }
}

PictureLabel::PictureLabel(QWidget* parent, const ui::ControlStyle& style)
    : QLabel(parent), m_mode(style.background.mode), m_picture(loadPicture(style.background.picture))
{
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
    setFrameShape(QFrame::NoFrame);
    setMargin(0);
    setIndent(0);
    Qt::Alignment horizontal = style.alignment == ui::Alignment::Centre ? Qt::AlignHCenter : Qt::AlignLeft;
    setAlignment(horizontal | Qt::AlignVCenter);

    QPalette colours = palette();
    const auto rgb = static_cast<QRgb>(style.textColour & 0xFFFFFFu);
    colours.setColor(QPalette::WindowText, QColor::fromRgb(rgb));
    setPalette(colours);

    if (style.fontPixelHeight > 0) {
        QFont characters = font();
        characters.setPixelSize(style.fontPixelHeight);
        characters.setWeight(QFont::Normal);
        setFont(characters);
    }
}

void PictureLabel::paintEvent(QPaintEvent* event)
{
    paintBackground(*this, m_mode, m_picture);
    QLabel::paintEvent(event);
}

PictureBox::PictureBox(QWidget* parent, const char* picture) : QWidget(parent), m_picture(loadPicture(picture)) {}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    if (!m_picture.isNull())
        painter.drawPixmap(0, 0, m_picture);
}

WindowTimer::WindowTimer(QObject* parent) : QObject(parent), m_timer(this)
{
    // A precise timer keeps a one-second clock from drifting across second boundaries.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &WindowTimer::timedOut);
}

void WindowTimer::setPeriod(int milliseconds)
{
    if (milliseconds <= 0) {
        m_period = 0;
        m_tickWaiting = false;
        ++m_start;
        m_timer.stop();
        return;
    }
    if (milliseconds == m_period)
        return;
    m_period = milliseconds;
    m_tickWaiting = false;
    ++m_start;
    m_timer.start(milliseconds);
}

void WindowTimer::timedOut()
{
    if (m_suppressed)
        return;
    if (m_inHandler) {
        m_tickWaiting = true;
        return;
    }
    postTick();
}

void WindowTimer::postTick()
{
    // The handler runs from a posted call, never inside the timer's own activation:
    // Qt does not activate a timer again while its activation is being handled, so a
    // handler waiting in a nested loop would otherwise never see a tick come.
    if (m_tickPosted)
        return;
    m_tickPosted = true;
    QMetaObject::invokeMethod(
        this,
        [this, start = m_start] {
            m_tickPosted = false;
            if (start == m_start && m_timer.isActive() && !m_suppressed)
                runTick();
        },
        Qt::QueuedConnection);
}

void WindowTimer::runTick()
{
    m_inHandler = true;
    if (m_onTick)
        m_onTick();
    m_inHandler = false;
    if (m_tickWaiting) {
        m_tickWaiting = false;
        postTick();
    }
}

} // namespace examclient::qt
