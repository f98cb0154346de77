// Draws every button picture of the program into a folder, at scale 1 and at
// scale 2 ("name.png" and "name@2x.png"):
//   QT_QPA_PLATFORM=offscreen zu_pictures <folder>
// and, to look at them together on the page colour at both scales:
//   QT_QPA_PLATFORM=offscreen zu_pictures --sheet <folder> <sheet.png>
// All pictures share one palette, chosen to sit on the pages' #EDF3F6.
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <functional>

namespace {

const QColor kInk(0x24, 0x46, 0x5C);
const QColor kBlue(0x2F, 0x7D, 0xB8);
const QColor kBlueLight(0x5F, 0xA8, 0xDC);
const QColor kBlueDeep(0x24, 0x5F, 0x8C);
const QColor kFrame(0xA9, 0xC4, 0xD6);
const QColor kRed(0xE0, 0x53, 0x3D);
const QColor kOrange(0xF0, 0x8A, 0x24);
const QColor kGold(0xF5, 0xB8, 0x2E);
const QColor kGreen(0x2E, 0xAD, 0x4B);
const QColor kWarn(0xF0, 0x93, 0x2B);

QFont CjkFont(qreal pixels, bool bold = false) {
    QFont f(QStringLiteral("Noto Sans CJK SC"));
    f.setPixelSize(qRound(pixels));
    f.setWeight(bold ? QFont::Bold : QFont::Medium);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

using Draw = std::function<void(QPainter&)>;

QString outDir;

void Save(const QString& name, QSize size, const Draw& draw) {
    for (int scale : {1, 2}) {
        QImage image(size * scale, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(scale);
        QPainter p(&image);
        p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
        draw(p);
        p.end();
        const QString file = outDir + "/" + name + (scale == 2 ? "@2x.png" : ".png");
        if (!image.convertToFormat(QImage::Format_ARGB32).save(file, "PNG", 9))
            QTextStream(stderr) << "cannot write " << file << "\n";
    }
}

// ---- toolbar glyphs, drawn in white inside the square `b` ----

QPointF At(const QRectF& b, qreal x, qreal y) { return {b.left() + x * b.width(), b.top() + y * b.height()}; }

QPen GlyphPen(const QRectF& b) {
    return QPen(Qt::white, b.width() * 0.065, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void GlyphHouse(QPainter& p, const QRectF& b) {
    p.setPen(GlyphPen(b));
    p.setBrush(Qt::NoBrush);
    QPolygonF roof{At(b, 0.22, 0.52), At(b, 0.5, 0.26), At(b, 0.78, 0.52)};
    p.drawPolyline(roof);
    QPainterPath body;
    body.moveTo(At(b, 0.31, 0.46));
    body.lineTo(At(b, 0.31, 0.75));
    body.lineTo(At(b, 0.69, 0.75));
    body.lineTo(At(b, 0.69, 0.46));
    p.drawPath(body);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(At(b, 0.44, 0.58), At(b, 0.56, 0.75)), b.width() * 0.02, b.width() * 0.02);
}

void GlyphBaby(QPainter& p, const QRectF& b) {
    p.setPen(GlyphPen(b));
    p.setBrush(Qt::NoBrush);
    const qreal r = b.width() * 0.23;
    const QPointF c = At(b, 0.5, 0.55);
    p.drawEllipse(c, r, r);
    QPainterPath curl;  // a lock of hair on top
    curl.moveTo(At(b, 0.5, 0.32));
    curl.cubicTo(At(b, 0.47, 0.22), At(b, 0.6, 0.2), At(b, 0.59, 0.28));
    p.drawPath(curl);
    QRectF smile(At(b, 0.41, 0.52), At(b, 0.59, 0.68));
    p.drawArc(smile, 200 * 16, 140 * 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(At(b, 0.42, 0.5), b.width() * 0.03, b.width() * 0.03);
    p.drawEllipse(At(b, 0.58, 0.5), b.width() * 0.03, b.width() * 0.03);
}

void Person(QPainter& p, const QRectF& b, qreal cx, qreal headY, qreal scale) {
    const qreal w = b.width();
    p.drawEllipse(At(b, cx, headY), w * 0.095 * scale, w * 0.095 * scale);
    QPainterPath body;
    const QPointF top = At(b, cx, headY + 0.13 * scale);
    const qreal half = w * 0.17 * scale, height = w * 0.2 * scale;
    body.moveTo(top.x() - half, top.y() + height);
    body.cubicTo(top.x() - half, top.y() - height * 0.15, top.x() + half, top.y() - height * 0.15,
                 top.x() + half, top.y() + height);
    body.closeSubpath();
    p.drawPath(body);
}

void GlyphParentChild(QPainter& p, const QRectF& b) {
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    Person(p, b, 0.4, 0.33, 1.0);
    Person(p, b, 0.66, 0.48, 0.72);
}

void GlyphFamilyTree(QPainter& p, const QRectF& b) {
    QPen pen = GlyphPen(b);
    pen.setWidthF(b.width() * 0.05);
    p.setPen(pen);
    p.drawLine(At(b, 0.5, 0.32), At(b, 0.5, 0.5));
    p.drawLine(At(b, 0.28, 0.5), At(b, 0.72, 0.5));
    for (qreal x : {0.28, 0.5, 0.72}) p.drawLine(At(b, x, 0.5), At(b, x, 0.66));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(At(b, 0.5, 0.3), b.width() * 0.1, b.width() * 0.1);
    for (qreal x : {0.28, 0.5, 0.72}) p.drawEllipse(At(b, x, 0.7), b.width() * 0.075, b.width() * 0.075);
}

void GlyphStar(QPainter& p, const QRectF& b) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 ? 0.12 : 0.28) * b.width();
        const qreal a = M_PI / 5 * i - M_PI / 2;
        star << QPointF(b.center().x() + r * std::cos(a), b.center().y() + 0.02 * b.height() + r * std::sin(a));
    }
    p.setPen(QPen(Qt::white, b.width() * 0.03, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPolygon(star);
}

void GlyphBuilding(QPainter& p, const QRectF& b) {
    p.setPen(GlyphPen(b));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(At(b, 0.33, 0.27), At(b, 0.67, 0.75)));
    p.drawLine(At(b, 0.24, 0.75), At(b, 0.76, 0.75));
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    const qreal s = b.width() * 0.07;
    for (int row = 0; row < 3; ++row)
        for (qreal x : {0.41, 0.53}) p.drawRect(QRectF(At(b, x, 0.35 + row * 0.12), QSizeF(s, s)));
}

void GlyphGear(QPainter& p, const QRectF& b) {
    QPainterPath gear;
    const QPointF c = b.center();
    const qreal outer = b.width() * 0.29, inner = b.width() * 0.215;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal a = 2 * M_PI * i / (teeth * 4);
        const qreal r = (i % 4 == 0 || i % 4 == 1) ? outer : inner;
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0) gear.moveTo(pt); else gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(c, b.width() * 0.095, b.width() * 0.095);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(Qt::white, b.width() * 0.02, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::white);
    p.drawPath(gear);
}

// ---- the toolbar pictures: a round tile with the glyph, the text below ----

struct ToolbarLayout {
    qreal tile, tileTop, textPixels, textTop;
    bool bold;
};

void Toolbar(const QString& name, QSize size, ToolbarLayout l, const QString& text,
             void (*glyph)(QPainter&, const QRectF&)) {
    for (bool hover : {false, true}) {
        Save(hover ? name + "_hover" : name, size, [&](QPainter& p) {
            const QRectF all(QPointF(0, 0), QSizeF(size));
            if (hover) {
                p.setPen(QPen(QColor(kBlueLight.red(), kBlueLight.green(), kBlueLight.blue(), 150), 1));
                p.setBrush(QColor(255, 255, 255, 215));
                p.drawRoundedRect(all.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
            }
            const QRectF tile((size.width() - l.tile) / 2, l.tileTop, l.tile, l.tile);
            QLinearGradient g(tile.topLeft(), tile.bottomLeft());
            g.setColorAt(0, hover ? QColor(0x74, 0xBA, 0xEA) : kBlueLight);
            g.setColorAt(1, hover ? QColor(0x3A, 0x8C, 0xCB) : kBlue);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0x24, 0x5F, 0x8C, 40));  // soft shadow
            p.drawEllipse(tile.translated(0, 1.2));
            p.setBrush(g);
            p.drawEllipse(tile);
            glyph(p, tile);
            p.setFont(CjkFont(l.textPixels, l.bold));
            p.setPen(hover ? kBlueDeep : kInk);
            p.drawText(QRectF(0, l.textTop, size.width(), size.height() - l.textTop),
                       Qt::AlignHCenter | Qt::AlignTop, text);
        });
    }
}

// ---- badges ----

void Badge(const QString& name, const QColor& color, const QString& text) {
    Save(name, {44, 46}, [&](QPainter& p) {
        QPainterPath tag;
        tag.addRoundedRect(QRectF(5, 3, 34, 26), 7, 7);
        QPainterPath tail;
        tail.moveTo(11, 27);
        tail.lineTo(9, 37);
        tail.lineTo(21, 28);
        tail.closeSubpath();
        tag = tag.united(tail);
        QLinearGradient g(0, 3, 0, 37);
        g.setColorAt(0, color.lighter(118));
        g.setColorAt(1, color.darker(108));
        p.setPen(QPen(Qt::white, 1.5));
        p.setBrush(g);
        p.drawPath(tag);
        p.setFont(CjkFont(17, true));
        p.setPen(Qt::white);
        p.drawText(QRectF(5, 3, 34, 26), Qt::AlignCenter, text);
    });
}

// The small badge at the window's top edge: "热" on a warm round seal.
void SmallHot() {
    Save("badge_hot", {20, 20}, [](QPainter& p) {
        QLinearGradient g(0, 1, 0, 19);
        g.setColorAt(0, kOrange.lighter(110));
        g.setColorAt(1, kRed);
        p.setPen(QPen(Qt::white, 1.2));
        p.setBrush(g);
        p.drawEllipse(QRectF(1, 1, 18, 18));
        p.setFont(CjkFont(12, true));
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 0.5, 18, 18), Qt::AlignCenter, QStringLiteral("热"));
    });
}

void Ribbon(const QString& text) {
    Save("ribbon", {112, 112}, [&](QPainter& p) {
        // A band across the top-left corner, its ends folded behind the edges.
        p.setPen(Qt::NoPen);
        p.setBrush(kRed.darker(150));
        p.drawPolygon(QPolygonF{QPointF(58, 0), QPointF(64, 0), QPointF(64, 6)});
        p.drawPolygon(QPolygonF{QPointF(0, 58), QPointF(0, 64), QPointF(6, 64)});
        QPolygonF band{QPointF(34, 0), QPointF(64, 0), QPointF(0, 64), QPointF(0, 34)};
        QLinearGradient g(17, 17, 32, 32);
        g.setColorAt(0, kRed.lighter(115));
        g.setColorAt(1, kRed.darker(110));
        p.setBrush(g);
        p.drawPolygon(band);
        p.setPen(QPen(QColor(255, 255, 255, 130), 1, Qt::DashLine));
        p.drawLine(QPointF(37, 2), QPointF(2, 37));
        p.drawLine(QPointF(61, 2), QPointF(2, 61));
        p.translate(24.5, 24.5);
        p.rotate(-45);
        p.setPen(Qt::white);
        p.setFont(CjkFont(14, true));
        p.drawText(QRectF(-30, -10, 60, 20), Qt::AlignCenter, text);
    });
}

// ---- help panel arrows ----

void HelpArrow(const QString& name, bool pointsLeft) {
    for (bool hover : {false, true}) {
        const QSize size(hover ? 12 : 11, 21);
        Save(hover ? name + "_hover" : name, size, [&](QPainter& p) {
            QLinearGradient g(0, 0, size.width(), 0);
            g.setColorAt(0, hover ? QColor(0x74, 0xBA, 0xEA) : kBlueLight);
            g.setColorAt(1, hover ? QColor(0x3A, 0x8C, 0xCB) : kBlue);
            p.setPen(Qt::NoPen);
            p.setBrush(g);
            p.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, 20), 3, 3);
            const qreal cx = size.width() / 2.0, dx = pointsLeft ? -1.6 : 1.6;  // dx: towards the tip
            p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawPolyline(QPolygonF{QPointF(cx - dx, 6.5), QPointF(cx + dx, 10.5), QPointF(cx - dx, 14.5)});
        });
    }
}

// ---- settings page buttons ----

void TextButton(const QString& name, QSize size, const QString& text, bool primary) {
    for (bool hover : {false, true}) {
        Save(hover ? name + "_hover" : name, size, [&](QPainter& p) {
            const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
            QLinearGradient g(0, 0, 0, size.height());
            if (primary) {
                g.setColorAt(0, hover ? QColor(0x6B, 0xB3, 0xE6) : QColor(0x4B, 0x9A, 0xD6));
                g.setColorAt(1, hover ? QColor(0x3C, 0x8D, 0xC5) : kBlue);
                p.setPen(QPen(kBlueDeep, 1));
            } else {
                g.setColorAt(0, Qt::white);
                g.setColorAt(1, hover ? QColor(0xF3, 0xF8, 0xFB) : QColor(0xE6, 0xEF, 0xF5));
                p.setPen(QPen(hover ? kBlueLight : kFrame, 1));
            }
            p.setBrush(g);
            p.drawRoundedRect(r, 4, 4);
            p.setFont(CjkFont(12, primary));
            p.setPen(primary ? QColor(Qt::white) : (hover ? kBlueDeep : kInk));
            p.drawText(r, Qt::AlignCenter, text);
        });
    }
}

// ---- voice status icons ----

void VoiceIcons() {
    Save("voice_ok", {15, 15}, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kGreen);
        p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
        p.setPen(QPen(Qt::white, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(4, 7.8), QPointF(6.5, 10.3), QPointF(11, 5)});
    });
    Save("voice_missing", {15, 15}, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kWarn);
        p.drawEllipse(QRectF(0.5, 0.5, 14, 14));
        p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(7.5, 3.8), QPointF(7.5, 8.4));
        p.drawPoint(QPointF(7.5, 11.3));
    });
}

// Every picture of `folder` on #EDF3F6, the scale-1 pictures drawn at
// twice their size in one row and the @2x pictures in the row below.
int Sheet(const QString& folder, const QString& out) {
    QDir dir(folder);
    QStringList names = dir.entryList({"*.png"}, QDir::Files, QDir::Name);
    names.erase(std::remove_if(names.begin(), names.end(), [](const QString& n) { return n.contains('@'); }),
                names.end());
    const int perRow = 8, cell = 180;
    QImage sheet(perRow * cell, ((names.size() + perRow - 1) / perRow) * cell, QImage::Format_ARGB32);
    sheet.fill(QColor(0xED, 0xF3, 0xF6));
    QPainter p(&sheet);
    p.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 8));
    for (int i = 0; i < names.size(); ++i) {
        const QPoint at((i % perRow) * cell + 6, (i / perRow) * cell + 4);
        const QImage x1(dir.filePath(names[i]));
        QImage x2(dir.filePath(QString(names[i]).replace(".png", "@2x.png")));
        p.drawImage(QRect(at, x1.size() * 2), x1);  // nearest: shows the real pixels
        p.drawImage(at + QPoint(x1.width() * 2 + 4, 0), x2);
        p.setPen(Qt::black);
        p.drawText(at + QPoint(0, cell - 10), names[i]);
    }
    p.end();
    return sheet.save(out) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--sheet")
        return Sheet(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc != 2) {
        QTextStream(stderr) << "usage: zu_pictures <output folder>\n";
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);

    const ToolbarLayout square{32, 4, 12, 40, false};   // 60×60
    const ToolbarLayout wide{30, 3, 12, 36, false};     // 64×56
    // 80×80, laid out 70 high in the toolbar: everything drawn in the top 68.
    const ToolbarLayout large{40, 4, 14, 47, true};
    Toolbar("tb_home", {60, 60}, square, QStringLiteral("主窗口"), GlyphHouse);
    Toolbar("tb_baby", {64, 56}, wide, QStringLiteral("宝宝取名"), GlyphBaby);
    Toolbar("tb_parent", {80, 80}, large, QStringLiteral("亲子取名"), GlyphParentChild);
    Toolbar("tb_generation", {60, 60}, square, QStringLiteral("辈分取名"), GlyphFamilyTree);
    Toolbar("tb_score", {60, 60}, square, QStringLiteral("姓名评分"), GlyphStar);
    Toolbar("tb_company", {60, 60}, square, QStringLiteral("公司取名"), GlyphBuilding);
    Toolbar("tb_settings", {64, 56}, wide, QStringLiteral("设置"), GlyphGear);

    Badge("badge_jian", kRed, QStringLiteral("荐"));
    Badge("badge_xin", kOrange, QStringLiteral("新"));
    SmallHot();
    Ribbon(QStringLiteral("V1.0"));

    HelpArrow("help_open", false);   // panel open: the arrow points to where it slides
    HelpArrow("help_closed", true);

    TextButton("set_default", {90, 22}, QStringLiteral("默认设置"), false);
    TextButton("set_ok", {60, 22}, QStringLiteral("确认"), true);
    TextButton("set_cancel", {60, 22}, QStringLiteral("取消"), false);

    VoiceIcons();
    return 0;
}
