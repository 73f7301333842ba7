// Draws the window pictures of ui/images/ with QPainter. Run by hand after a change to
// the artwork; the generated files are committed, the build never runs this program.
//
//   examclient-imagegen <output directory>
//
// The login and identity windows share one scene: the background, with the title and
// slogan pictures cut from the very place of the background where their picture boxes
// sit, so the opaque bitmaps blend into it. Labels tile the panel picture from their
// own top-left corner, so the panel is one flat colour wherever a label can lie.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

const QColor kDeepBlue(0x1d, 0x4f, 0x91);
const QColor kNavy(0x16, 0x3b, 0x6e);
const QColor kPanelBlue(0x1f, 0x4c, 0x88);
const QColor kGold(0xd4, 0xa5, 0x4a);
const QColor kFaceColour(0xef, 0xef, 0xef);

const QString kSansFamily = QStringLiteral("Noto Sans CJK SC");
const QString kSerifFamily = QStringLiteral("Noto Serif CJK SC");

// Where the picture boxes of the login and identity windows sit on the background.
constexpr QRect kPanelBox(492, 80, 504, 209);
constexpr QRect kTitleBox(28, 90, 456, 86);
constexpr QRect kSloganBox(111, 187, 283, 93);

QFont font(const QString& family, int pixelSize, QFont::Weight weight)
{
    QFont result(family);
    result.setPixelSize(pixelSize);
    result.setWeight(weight);
    result.setHintingPreference(QFont::PreferNoHinting);
    return result;
}

void drawSpacedText(QPainter& painter, QPointF baselineStart, const QString& text, qreal extraSpacing)
{
    QFont spaced = painter.font();
    spaced.setLetterSpacing(QFont::AbsoluteSpacing, extraSpacing);
    painter.setFont(spaced);
    painter.drawText(baselineStart, text);
}

// A soft shadow: a few widening translucent outlines around a rectangle.
void drawSoftShadow(QPainter& painter, const QRectF& rect, int spread, int strongestAlpha)
{
    painter.save();
    painter.setBrush(Qt::NoBrush);
    for (int i = spread; i >= 1; --i) {
        const int alpha = strongestAlpha * (spread - i + 1) / (spread * spread);
        painter.setPen(QPen(QColor(0x10, 0x28, 0x50, alpha), 1.0));
        painter.drawRoundedRect(rect.adjusted(-i, -i, i, i), 2.0 + i, 2.0 + i);
    }
    painter.restore();
}

// The emblem: a blue disc with a white ring, an open book and a star above it.
void drawEmblem(QPainter& painter, QPointF centre, qreal radius)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(centre - QPointF(radius * 0.3, radius * 0.35), radius * 1.4);
    disc.setColorAt(0.0, QColor(0x3d, 0x78, 0xc4));
    disc.setColorAt(1.0, kNavy);
    painter.setPen(Qt::NoPen);
    painter.setBrush(disc);
    painter.drawEllipse(centre, radius, radius);

    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 220), radius * 0.06));
    painter.drawEllipse(centre, radius * 0.84, radius * 0.84);
    painter.setPen(QPen(kGold, radius * 0.03));
    painter.drawEllipse(centre, radius * 0.76, radius * 0.76);

    // The open book: two pages meeting at the spine.
    const qreal w = radius * 0.5;
    const qreal top = centre.y() - radius * 0.08;
    const qreal bottom = centre.y() + radius * 0.42;
    for (const int side : {-1, 1}) {
        QPainterPath page;
        page.moveTo(centre.x(), top + radius * 0.08);
        page.cubicTo(centre.x() + side * w * 0.4, top - radius * 0.06, centre.x() + side * w * 0.8, top - radius * 0.04,
                     centre.x() + side * w, top);
        page.lineTo(centre.x() + side * w, bottom - radius * 0.08);
        page.cubicTo(centre.x() + side * w * 0.8, bottom - radius * 0.12, centre.x() + side * w * 0.4,
                     bottom - radius * 0.14, centre.x(), bottom);
        page.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, side < 0 ? 245 : 225));
        painter.drawPath(page);
    }
    painter.setPen(QPen(kNavy, radius * 0.03));
    painter.drawLine(QPointF(centre.x(), top + radius * 0.08), QPointF(centre.x(), bottom));

    // A five-pointed star above the book.
    QPainterPath star;
    const QPointF starCentre(centre.x(), centre.y() - radius * 0.38);
    const qreal outer = radius * 0.17;
    const qreal inner = outer * 0.42;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -std::numbers::pi / 2 + i * std::numbers::pi / 5;
        const qreal r = i % 2 == 0 ? outer : inner;
        const QPointF point(starCentre.x() + r * std::cos(angle), starCentre.y() + r * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    painter.setBrush(kGold);
    painter.setPen(Qt::NoPen);
    painter.drawPath(star);
    painter.restore();
}

// The 1000 x 400 scene behind the login and identity windows, without title artwork.
QImage drawBackground()
{
    QImage image(1000, 400, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, 400);
    sky.setColorAt(0.0, QColor(0xf6, 0xf9, 0xfd));
    sky.setColorAt(0.7, QColor(0xe4, 0xed, 0xf8));
    sky.setColorAt(1.0, QColor(0xd6, 0xe3, 0xf3));
    painter.fillRect(image.rect(), sky);

    // Faint concentric arcs rising from the lower left.
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 9; ++i) {
        const qreal r = 180 + i * 46;
        painter.setPen(QPen(QColor(255, 255, 255, 120 - i * 10), 2.0));
        painter.drawEllipse(QPointF(-40, 470), r, r);
    }
    for (int i = 0; i < 5; ++i) {
        const qreal r = 120 + i * 40;
        painter.setPen(QPen(QColor(0x1d, 0x4f, 0x91, 14), 1.5));
        painter.drawEllipse(QPointF(1010, -60), r, r);
    }

    // A gentle wave above the lower band.
    QPainterPath wave;
    wave.moveTo(0, 352);
    wave.cubicTo(260, 322, 520, 384, 1000, 340);
    wave.lineTo(1000, 400);
    wave.lineTo(0, 400);
    wave.closeSubpath();
    QLinearGradient waveFill(0, 330, 0, 400);
    waveFill.setColorAt(0.0, QColor(0xc9, 0xda, 0xef));
    waveFill.setColorAt(1.0, QColor(0xb5, 0xcb, 0xe7));
    painter.setPen(Qt::NoPen);
    painter.setBrush(waveFill);
    painter.drawPath(wave);

    // Thin bands at the top and bottom edges.
    QLinearGradient band(0, 0, 1000, 0);
    band.setColorAt(0.0, kNavy);
    band.setColorAt(1.0, QColor(0x2d, 0x6a, 0xb5));
    painter.fillRect(QRect(0, 0, 1000, 5), band);
    painter.fillRect(QRect(0, 388, 1000, 12), band);
    painter.fillRect(QRect(0, 387, 1000, 1), kGold);

    // The panel's shadow; the panel picture covers the box itself.
    drawSoftShadow(painter, QRectF(kPanelBox).translated(3, 4), 8, 150);
    return image;
}

QImage drawTitle(const QImage& background)
{
    QImage image = background.copy(kTitleBox);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    drawEmblem(painter, QPointF(45, 43), 38);

    painter.setFont(font(kSerifFamily, 50, QFont::Bold));
    painter.setPen(QColor(255, 255, 255, 200));
    drawSpacedText(painter, QPointF(103, 63), QStringLiteral(u"考试系统"), 10);
    painter.setPen(kDeepBlue);
    drawSpacedText(painter, QPointF(101, 61), QStringLiteral(u"考试系统"), 10);

    painter.setFont(font(kSansFamily, 12, QFont::Medium));
    painter.setPen(QColor(0x4a, 0x6f, 0x9e));
    drawSpacedText(painter, QPointF(104, 80), QStringLiteral("COMPUTER-BASED EXAMINATION"), 3.2);
    return image;
}

QImage drawSlogan(const QImage& background)
{
    QImage image = background.copy(kSloganBox);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    painter.setFont(font(kSansFamily, 28, QFont::Medium));
    painter.setPen(kNavy);
    drawSpacedText(painter, QPointF(18, 38), QStringLiteral(u"考生客户端"), 6);

    QLinearGradient rule(18, 0, 265, 0);
    rule.setColorAt(0.0, kGold);
    rule.setColorAt(1.0, QColor(0xd4, 0xa5, 0x4a, 0));
    painter.fillRect(QRectF(18, 52, 247, 2), rule);

    painter.setFont(font(kSansFamily, 16, QFont::Normal));
    painter.setPen(QColor(0x3e, 0x5f, 0x8a));
    drawSpacedText(painter, QPointF(18, 80), QStringLiteral(u"诚信考试 · 公平竞争"), 4);
    return image;
}

// 504 x 259. One flat colour wherever the labels lie (their background tiles rows 0 to
// 15 of this picture), ornaments only below the caption rows and towards the right.
QImage drawPanel()
{
    QImage image(504, 259, QImage::Format_RGB32);
    image.fill(kPanelBlue);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient lower(0, 146, 0, 259);
    lower.setColorAt(0.0, kPanelBlue);
    lower.setColorAt(1.0, QColor(0x19, 0x40, 0x75));
    painter.fillRect(QRect(0, 146, 504, 113), lower);

    QLinearGradient rule(40, 0, 464, 0);
    rule.setColorAt(0.0, QColor(255, 255, 255, 0));
    rule.setColorAt(0.5, QColor(255, 255, 255, 70));
    rule.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.fillRect(QRectF(40, 152, 424, 1), rule);

    // A faint watermark ring in the lower right corner.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(255, 255, 255, 22), 10));
    painter.drawEllipse(QPointF(488, 236), 62, 62);
    painter.setPen(QPen(QColor(255, 255, 255, 16), 3));
    painter.drawEllipse(QPointF(488, 236), 84, 84);

    // A gold accent along the right edge, clear of every label's tile.
    QLinearGradient accent(0, 0, 0, 209);
    accent.setColorAt(0.0, QColor(0xd4, 0xa5, 0x4a, 0));
    accent.setColorAt(0.5, QColor(0xd4, 0xa5, 0x4a, 200));
    accent.setColorAt(1.0, QColor(0xd4, 0xa5, 0x4a, 0));
    painter.fillRect(QRectF(500, 20, 4, 170), accent);
    return image;
}

// 995 x 711, stretched by the window to 996 x 711. The text box covers 88,164 to
// 912,608; the check box and the button sit on the face colour below it.
QImage drawNotice()
{
    QImage image(995, 711, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    QLinearGradient body(0, 130, 0, 600);
    body.setColorAt(0.0, QColor(0xf6, 0xf8, 0xfb));
    body.setColorAt(1.0, kFaceColour);
    painter.fillRect(image.rect(), body);

    QLinearGradient header(0, 0, 995, 0);
    header.setColorAt(0.0, kNavy);
    header.setColorAt(1.0, QColor(0x2b, 0x66, 0xb0));
    painter.fillRect(QRect(0, 0, 995, 128), header);
    painter.setBrush(Qt::NoBrush);
    for (int i = 0; i < 6; ++i) {
        painter.setPen(QPen(QColor(255, 255, 255, 26 - i * 3), 2.0));
        painter.drawEllipse(QPointF(930, 150), 90.0 + i * 38, 90.0 + i * 38);
    }
    painter.fillRect(QRect(0, 128, 995, 3), kGold);

    drawEmblem(painter, QPointF(110, 64), 40);

    painter.setFont(font(kSerifFamily, 42, QFont::Bold));
    painter.setPen(Qt::white);
    const QString title = QStringLiteral(u"考试注意事项");
    QFont titleFont = painter.font();
    titleFont.setLetterSpacing(QFont::AbsoluteSpacing, 12);
    const int titleWidth = QFontMetrics(titleFont).horizontalAdvance(title) - 12;
    drawSpacedText(painter, QPointF((995 - titleWidth) / 2.0, 70), title, 12);

    painter.setFont(font(kSansFamily, 17, QFont::Normal));
    painter.setPen(QColor(0xcf, 0xe0, 0xf5));
    const QString subtitle = QStringLiteral(u"请仔细阅读以下内容，阅读完毕后勾选同意并点击“确定”");
    const int subtitleWidth = QFontMetrics(painter.font()).horizontalAdvance(subtitle);
    painter.drawText(QPointF((995 - subtitleWidth) / 2.0, 106), subtitle);

    // The sheet behind the text box.
    const QRectF sheet(76, 152, 848, 468);
    drawSoftShadow(painter, sheet, 6, 90);
    painter.setPen(QPen(QColor(0xc8, 0xd4, 0xe4), 1));
    painter.setBrush(Qt::white);
    painter.drawRoundedRect(sheet, 4, 4);
    painter.fillRect(QRectF(76, 152, 848, 4), kDeepBlue);

    painter.setFont(font(kSansFamily, 14, QFont::Normal));
    painter.setPen(QColor(0x8a, 0x96, 0xa6));
    const QString footer = QStringLiteral(u"诚信应考 · 严守考纪");
    const int footerWidth = QFontMetrics(painter.font()).horizontalAdvance(footer);
    painter.drawText(QPointF((995 - footerWidth) / 2.0, 690), footer);
    return image;
}

bool save(const QImage& image, const QDir& directory, const char* fileName, const char* format, int quality)
{
    const QString path = directory.filePath(QString::fromLatin1(fileName));
    if (image.save(path, format, quality))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: examclient-imagegen <output directory>\n");
        return 2;
    }
    const QDir directory(QString::fromLocal8Bit(argv[1]));

    const QImage background = drawBackground();
    bool written = save(background, directory, "background.bmp", "BMP", -1);
    written = save(drawPanel(), directory, "panel.bmp", "BMP", -1) && written;
    written = save(drawTitle(background), directory, "title.bmp", "BMP", -1) && written;
    written = save(drawSlogan(background), directory, "slogan.bmp", "BMP", -1) && written;
    written = save(drawNotice(), directory, "notice.jpg", "JPEG", 92) && written;
    return written ? 0 : 1;
}
