// Draws the icons, bitmaps and the cursor that both language packs carry, as PNG files named
// by resource number (the tray icons also at twice the size, "<number>@2x.png", for screens
// with a device pixel ratio of 2). Given a second folder, it also draws the application's icon
// there as a hicolor icon theme: PNG from 16 to 256 pixels and a scalable SVG. Run by the
// build; nothing is drawn with text, so no font is needed.
//
// usage: draw_pack_art OUTPUT_FOLDER [ICON_THEME_FOLDER]

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>

#include <cmath>
#include <cstdio>
#include <functional>

namespace {

constexpr QColor kMagenta{255, 0, 255};  // colour key of the kind bitmap
constexpr QColor kPaper{244, 244, 240};  // never pure white: white is the tool bar's key
constexpr QColor kInk{40, 40, 48};
constexpr QColor kBlue{31, 90, 170};
constexpr QColor kGreen{40, 150, 60};
constexpr QColor kRed{200, 40, 40};
constexpr QColor kOrange{230, 130, 20};
constexpr QColor kGrey{128, 128, 128};

using Painter = std::function<void(QPainter&)>;

QImage Canvas(int width, int height, QColor background) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(background);
    return image;
}

/// Paints into a fresh canvas with anti-aliasing on, or off for colour-keyed bitmaps, whose
/// edge pixels must not blend with the key colour.
QImage Draw(int width, int height, QColor background, bool smooth, const Painter& paint) {
    QImage image = Canvas(width, height, background);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, smooth);
    paint(p);
    return image;
}

/// A round meter face with a needle: the program's own mark, tinted by the monitor's state.
void Meter(QPainter& p, QRectF box, QColor face, double needleDegrees) {
    const double w = box.width();
    p.setPen(QPen(kInk, w / 16.0));
    p.setBrush(face);
    p.drawEllipse(box.adjusted(w / 32, w / 32, -w / 32, -w / 32));
    // Scale ticks on the upper half.
    p.setPen(QPen(Qt::white, w / 20.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = box.center();
    for (int i = 0; i <= 4; ++i) {
        const double a = (180.0 + i * 45.0) * M_PI / 180.0;
        const double r1 = w * 0.30;
        const double r2 = w * 0.38;
        p.drawLine(c + QPointF(r1 * std::cos(a), r1 * std::sin(a)),
                   c + QPointF(r2 * std::cos(a), r2 * std::sin(a)));
    }
    const double a = needleDegrees * M_PI / 180.0;
    p.setPen(QPen(Qt::white, w / 10.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(w * 0.30 * std::cos(a), w * 0.30 * std::sin(a)));
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawEllipse(c, w / 12.0, w / 12.0);
}

/// A telephone handset lying on its side, as a thick arc with ear and mouth pieces.
void Handset(QPainter& p, QRectF box, QColor colour) {
    const double w = box.width();
    const double h = box.height();
    QPainterPath path;
    path.moveTo(box.left() + w * 0.05, box.top() + h * 0.62);
    path.cubicTo(box.left() + w * 0.15, box.top() + h * 0.10, box.right() - w * 0.15,
                 box.top() + h * 0.10, box.right() - w * 0.05, box.top() + h * 0.62);
    p.setPen(QPen(colour, h * 0.20, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(box.left(), box.top() + h * 0.55, w * 0.30, h * 0.30), h * 0.08,
                      h * 0.08);
    p.drawRoundedRect(QRectF(box.right() - w * 0.30, box.top() + h * 0.55, w * 0.30, h * 0.30),
                      h * 0.08, h * 0.08);
}

void Page(QPainter& p, QRectF r, int lines) {
    p.setPen(QPen(kInk, 1.0));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setPen(QPen(kGrey, 1.0));
    for (int i = 1; i <= lines; ++i) {
        const double y = r.top() + i * r.height() / (lines + 1);
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
}

void Triangle(QPainter& p, QRectF r, QColor colour) {
    p.setPen(QPen(colour.darker(140), 1.0));
    p.setBrush(colour);
    p.drawPolygon(QPolygonF({r.topLeft(), QPointF(r.right(), r.center().y()), r.bottomLeft()}));
}

void Square(QPainter& p, QRectF r, QColor colour) {
    p.setPen(QPen(colour.darker(140), 1.0));
    p.setBrush(colour);
    p.drawRect(r);
}

/// Strip images: each draws one cell whose top-left corner is the painter's origin.
QImage Strip(int cell, QColor key, const std::vector<Painter>& cells) {
    return Draw(cell * static_cast<int>(cells.size()), cell, key, false, [&](QPainter& p) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            p.save();
            p.translate(static_cast<double>(i) * cell, 0);
            cells[i](p);
            p.restore();
        }
    });
}

QImage KindBitmap() {
    constexpr int s = 16;
    return Strip(s, kMagenta,
                 {
                     [](QPainter& p) {  // 0 connected call
                         Handset(p, QRectF(1, 3, 14, 10), kGreen);
                     },
                     [](QPainter& p) {  // 1 call that never connected
                         Handset(p, QRectF(1, 3, 14, 10), kOrange);
                         p.setPen(QPen(kRed, 2));
                         p.drawLine(3, 2, 13, 14);
                     },
                     [](QPainter& p) {  // 2 month sum: a small bar chart
                         p.setPen(Qt::NoPen);
                         p.setBrush(kBlue);
                         p.drawRect(2, 9, 3, 5);
                         p.drawRect(7, 5, 3, 9);
                         p.drawRect(12, 2, 3, 12);
                         p.setPen(QPen(kInk, 1));
                         p.drawLine(1, 14, 15, 14);
                     },
                     [](QPainter& p) { Triangle(p, QRectF(4, 2, 9, 12), kGreen); },  // 3
                     [](QPainter& p) { Square(p, QRectF(3, 3, 10, 10), kRed); },     // 4
                 });
}

QImage ToolBarBitmap() {
    constexpr int s = 20;
    return Strip(
        s, Qt::white,
        {
            [](QPainter& p) {  // export to a text file: page with an arrow leaving it
                Page(p, QRectF(2, 2, 11, 15), 4);
                p.setPen(QPen(kBlue, 2));
                p.drawLine(9, 12, 17, 12);
                p.drawLine(14, 9, 17, 12);
                p.drawLine(14, 15, 17, 12);
            },
            [](QPainter& p) {  // print: a printer with a sheet
                Page(p, QRectF(5, 1, 10, 7), 1);
                p.setPen(QPen(kInk, 1));
                p.setBrush(kGrey);
                p.drawRoundedRect(QRectF(1.5, 7.5, 17, 8), 2, 2);
                Page(p, QRectF(5, 13, 10, 6), 1);
                p.setPen(Qt::NoPen);
                p.setBrush(kGreen);
                p.drawRect(14, 9, 2, 2);
            },
            [](QPainter& p) {  // print preview: page and magnifier
                Page(p, QRectF(2, 1, 12, 16), 4);
                p.setPen(QPen(kInk, 2));
                p.setBrush(QColor(200, 220, 255));
                p.drawEllipse(QRectF(8, 8, 7, 7));
                p.drawLine(14, 14, 18, 18);
            },
            [](QPainter& p) {  // page setup: page with its margins dashed
                Page(p, QRectF(3, 1, 14, 18), 0);
                p.setPen(QPen(kBlue, 1, Qt::DashLine));
                p.drawRect(QRectF(6, 4, 8, 12));
            },
            [](QPainter& p) {  // options: a cog
                p.setPen(QPen(kGrey.darker(130), 3));
                for (int i = 0; i < 4; ++i) {
                    p.save();
                    p.translate(10, 10);
                    p.rotate(i * 45.0);
                    p.drawLine(-8, 0, 8, 0);
                    p.restore();
                }
                p.setPen(QPen(kInk, 1));
                p.setBrush(kGrey);
                p.drawEllipse(QPointF(10, 10), 5.5, 5.5);
                p.setBrush(kPaper);
                p.drawEllipse(QPointF(10, 10), 2, 2);
            },
            [](QPainter& p) { Triangle(p, QRectF(5, 3, 11, 14), kGreen); },  // start monitor
            [](QPainter& p) { Square(p, QRectF(4, 4, 12, 12), kRed); },      // stop monitor
            [](QPainter& p) { Handset(p, QRectF(1, 5, 18, 11), kRed); },     // hang up
            [](QPainter& p) {  // help: a question mark on a blue disc
                p.setPen(Qt::NoPen);
                p.setBrush(kBlue);
                p.drawEllipse(QRectF(1, 1, 18, 18));
                // A question mark: hook, stem and dot.
                p.setPen(QPen(kPaper, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
                p.setBrush(Qt::NoBrush);
                p.drawPolyline(QPolygonF(
                    {{7, 7}, {7, 5}, {8, 4}, {12, 4}, {13, 5}, {13, 8}, {10, 10}, {10, 11}}));
                p.fillRect(QRectF(9, 14, 2, 2), kPaper);
            },
        });
}

/// The tray and window icons: the meter in the monitor's three states, drawn on a 32-unit
/// grid at `size` pixels.
QImage TrayIcon(QColor face, double needle, bool stopped, int size = 32) {
    return Draw(size, size, Qt::transparent, true, [&](QPainter& p) {
        p.scale(size / 32.0, size / 32.0);
        Meter(p, QRectF(0, 0, 32, 32), face, needle);
        if (stopped) {
            p.setPen(QPen(Qt::white, 1.5));
            p.setBrush(kRed);
            p.drawRect(QRectF(18, 18, 12, 12));
        }
    });
}

QImage HideIcon() {
    return Draw(32, 32, Qt::transparent, true, [](QPainter& p) {
        p.setPen(QPen(kInk, 2));
        p.setBrush(kPaper);
        p.drawRoundedRect(QRectF(3, 5, 26, 22), 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRect(QRectF(4, 6, 24, 5));
        p.setBrush(kInk);
        p.drawRect(QRectF(9, 20, 14, 3));  // the minimise bar
    });
}

QImage HangUpIcon() {
    return Draw(32, 32, Qt::transparent, true, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kRed);
        p.drawEllipse(QRectF(1, 1, 30, 30));
        Handset(p, QRectF(5, 9, 22, 14), Qt::white);
    });
}

QImage PageIcon(bool landscape) {
    return Draw(32, 32, Qt::transparent, true, [&](QPainter& p) {
        const QRectF sheet = landscape ? QRectF(2.5, 7.5, 27, 19) : QRectF(7.5, 2.5, 19, 27);
        p.setPen(QPen(kInk, 1.5));
        p.setBrush(kPaper);
        p.drawRect(sheet);
        p.setPen(QPen(kBlue, 1.5));
        for (int i = 1; i <= 4; ++i) {
            const double y = sheet.top() + i * sheet.height() / 6.0;
            p.drawLine(QPointF(sheet.left() + 4, y), QPointF(sheet.right() - 4, y));
        }
    });
}

/// A pointing hand for links; its hot spot, the tip of the finger, is at (11, 1).
QImage HandCursor() {
    return Draw(32, 32, Qt::transparent, true, [](QPainter& p) {
        const QRectF parts[] = {
            {9, 1, 5, 14},    // index finger
            {14, 8, 4, 8},    // middle finger
            {18, 9, 4, 8},    // ring finger
            {22, 10, 4, 8},   // little finger
            {4, 12, 5, 8},    // thumb
            {7, 13, 19, 13},  // palm
        };
        QPainterPath hand;
        for (const QRectF& part : parts) {
            QPainterPath piece;
            piece.addRoundedRect(part, 2.5, 2.5);
            hand = hand.united(piece);
        }
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(Qt::white);
        p.drawPath(hand);
    });
}

/// The application's icon: the meter while watching.
QImage AppIcon(int size) {
    return TrayIcon(kBlue, 225.0, false, size);
}

/// The same meter as Meter() draws on a 32-unit grid, as SVG for the scalable icon.
QString AppIconSvg() {
    const auto hex = [](QColor c) { return c.name(QColor::HexRgb); };
    const auto num = [](double v) { return QString::number(v, 'f', 3); };
    const double w = 32.0;
    const QPointF c(16, 16);
    QString svg = QStringLiteral(
                      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
                      "viewBox=\"0 0 32 32\">\n"
                      "  <circle cx=\"16\" cy=\"16\" r=\"%1\" fill=\"%2\" stroke=\"%3\" "
                      "stroke-width=\"%4\"/>\n")
                      .arg(num(w / 2 - w / 32), hex(kBlue), hex(kInk), num(w / 16));
    for (int i = 0; i <= 4; ++i) {
        const double a = (180.0 + i * 45.0) * M_PI / 180.0;
        const double r1 = w * 0.30;
        const double r2 = w * 0.38;
        svg += QStringLiteral(
                   "  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke=\"#ffffff\" "
                   "stroke-width=\"%5\" stroke-linecap=\"round\"/>\n")
                   .arg(num(c.x() + r1 * std::cos(a)), num(c.y() + r1 * std::sin(a)),
                        num(c.x() + r2 * std::cos(a)), num(c.y() + r2 * std::sin(a)), num(w / 20));
    }
    const double a = 225.0 * M_PI / 180.0;
    svg += QStringLiteral(
               "  <line x1=\"16\" y1=\"16\" x2=\"%1\" y2=\"%2\" stroke=\"#ffffff\" "
               "stroke-width=\"%3\" stroke-linecap=\"round\"/>\n"
               "  <circle cx=\"16\" cy=\"16\" r=\"%4\" fill=\"%5\"/>\n</svg>\n")
               .arg(num(c.x() + w * 0.30 * std::cos(a)), num(c.y() + w * 0.30 * std::sin(a)),
                    num(w / 10), num(w / 12), hex(kInk));
    return svg;
}

/// The application's icon as a hicolor theme under `theme`.
bool SaveAppIcons(const QString& theme) {
    const QString name = QStringLiteral("org.orvanta.Orvanta");
    bool ok = true;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString folder = theme + QStringLiteral("/%1x%1/apps").arg(size);
        const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!QDir().mkpath(folder) || !AppIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "draw_pack_art: cannot write %s\n", qPrintable(path));
            ok = false;
        }
    }
    const QString folder = theme + QStringLiteral("/scalable/apps");
    QFile svg(folder + QLatin1Char('/') + name + QStringLiteral(".svg"));
    if (!QDir().mkpath(folder) || !svg.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        svg.write(AppIconSvg().toUtf8()) < 0) {
        std::fprintf(stderr, "draw_pack_art: cannot write %s\n", qPrintable(svg.fileName()));
        ok = false;
    }
    return ok;
}

bool Save(const QImage& image, const QString& folder, int number, const char* suffix = "") {
    const QString path = folder + QStringLiteral("/%1%2.png").arg(number).arg(QLatin1String(suffix));
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "draw_pack_art: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: draw_pack_art OUTPUT_FOLDER [ICON_THEME_FOLDER]\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "draw_pack_art: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    ok &= Save(TrayIcon(kBlue, 225.0, false), folder, 128);   // watching
    ok &= Save(TrayIcon(kGreen, 315.0, false), folder, 129);  // a call in progress
    ok &= Save(TrayIcon(kGrey, 180.0, true), folder, 315);    // monitor stopped
    // The tray icons drawn afresh at twice the size rather than scaled: crisp on HiDPI.
    ok &= Save(TrayIcon(kBlue, 225.0, false, 64), folder, 128, "@2x");
    ok &= Save(TrayIcon(kGreen, 315.0, false, 64), folder, 129, "@2x");
    ok &= Save(TrayIcon(kGrey, 180.0, true, 64), folder, 315, "@2x");
    ok &= Save(HideIcon(), folder, 3404);
    ok &= Save(HangUpIcon(), folder, 3405);
    ok &= Save(KindBitmap(), folder, 313);
    ok &= Save(ToolBarBitmap(), folder, 322);
    ok &= Save(PageIcon(true), folder, 26501);
    ok &= Save(PageIcon(false), folder, 26502);
    ok &= Save(HandCursor(), folder, 25216);
    if (argc == 3) {
        ok &= SaveAppIcons(QString::fromLocal8Bit(argv[2]));
    }
    return ok ? 0 : 1;
}
