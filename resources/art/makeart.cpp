// Renders the launcher's pictures from the SVG sources beside this file.
//
//   quillmere-makeart <art.list> <output folder> [--contact <sheet.png>]
//
// Every entry of the list becomes one picture file under <output folder>/<prefix>/<alias>:
// a real icon file when the alias ends in ".ico", JPEG when the entry asks for
// "format=jpeg" (large opaque pictures: a tenth of the decoding time of PNG at
// start-up), otherwise PNG, whatever the alias's suffix says (Qt reads the
// content, not the name). See art.list for its format. With --contact, all pictures are also laid out on
// one sheet for review.
//
// Every picture but an icon file also gets a twin drawn at twice its size for
// screens of a device pixel ratio above one, named the way Qt looks for it
// ("name@2x", "name@2x.png"): style sheets, QIcon and Qt Quick pick it up by
// themselves. An entry with "hidpi=no" gets none (a picture already larger
// than it is ever shown).
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>

namespace {

struct Entry
{
    QString prefix;
    QString alias;
    QString source;
    QSize size;
    QHash<QString, QString> params;
    int line = 0;
};

void fail(const QString &what)
{
    std::fprintf(stderr, "makeart: %s\n", qPrintable(what));
}

// "key=value; %set; key=value": a %set pulls in the parameters of an "= set" line.
bool parseParams(const QString &text, const QHash<QString, QHash<QString, QString>> &sets, QHash<QString, QString> &out,
    QString &error)
{
    for (QString item : text.split(QLatin1Char(';'))) {
        item = item.trimmed();
        if (item.isEmpty())
            continue;
        if (item.startsWith(QLatin1Char('%'))) {
            const auto set = sets.constFind(item.mid(1));
            if (set == sets.constEnd()) {
                error = QStringLiteral("unknown set %1").arg(item);
                return false;
            }
            for (auto it = set->cbegin(); it != set->cend(); ++it)
                out.insert(it.key(), it.value());
            continue;
        }
        const int eq = item.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            error = QStringLiteral("parameter without '=': %1").arg(item);
            return false;
        }
        out.insert(item.left(eq).trimmed(), item.mid(eq + 1).trimmed());
    }
    return true;
}

bool readList(const QString &path, QList<Entry> &entries)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        fail(QStringLiteral("cannot read %1").arg(path));
        return false;
    }
    QTextStream in(&file);
    in.setCodec("UTF-8");
    QHash<QString, QHash<QString, QString>> sets;
    int lineNo = 0;
    bool ok = true;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        ++lineNo;
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList fields = line.split(QLatin1Char('|'));
        QString error;
        if (line.startsWith(QLatin1Char('='))) {
            QHash<QString, QString> params;
            if (fields.size() != 2 || !parseParams(fields[1], sets, params, error)) {
                fail(QStringLiteral("%1:%2: bad set line %3").arg(path).arg(lineNo).arg(error));
                ok = false;
                continue;
            }
            sets.insert(fields[0].mid(1).trimmed(), params);
            continue;
        }
        Entry entry;
        entry.line = lineNo;
        const QRegularExpressionMatch size
            = QRegularExpression(QStringLiteral("^(\\d+)x(\\d+)$")).match(fields.value(3).trimmed());
        if (fields.size() < 4 || fields.size() > 5 || !size.hasMatch()) {
            fail(QStringLiteral("%1:%2: expected 'prefix | alias | source | WxH | parameters'").arg(path).arg(lineNo));
            ok = false;
            continue;
        }
        entry.prefix = fields[0].trimmed();
        entry.alias = fields[1].trimmed();
        entry.source = fields[2].trimmed();
        entry.size = QSize(size.captured(1).toInt(), size.captured(2).toInt());
        entry.params.insert(QStringLiteral("w"), size.captured(1));
        entry.params.insert(QStringLiteral("h"), size.captured(2));
        if (!parseParams(fields.value(4), sets, entry.params, error)) {
            fail(QStringLiteral("%1:%2: %3").arg(path).arg(lineNo).arg(error));
            ok = false;
            continue;
        }
        entries.append(entry);
    }
    return ok;
}

QString readText(const QString &path, bool &ok)
{
    QFile file(path);
    ok = file.open(QIODevice::ReadOnly);
    return ok ? QString::fromUtf8(file.readAll()) : QString();
}

// Fills {{key}} fields; a value "@file" stands for that file's text (glyph
// fragments), which may hold fields of its own.
bool expand(QString &svg, const Entry &entry, const QDir &artDir, QString &error)
{
    static const QRegularExpression field(QStringLiteral("\\{\\{([A-Za-z0-9_]+)\\}\\}"));
    for (int round = 0; round < 4; ++round) {
        QString out;
        int last = 0;
        bool replaced = false;
        auto it = field.globalMatch(svg);
        while (it.hasNext()) {
            const QRegularExpressionMatch m = it.next();
            const QString key = m.captured(1);
            if (!entry.params.contains(key)) {
                error = QStringLiteral("no value for {{%1}}").arg(key);
                return false;
            }
            QString value = entry.params.value(key);
            if (value.startsWith(QLatin1Char('@'))) {
                bool ok = false;
                value = readText(artDir.filePath(value.mid(1)), ok);
                if (!ok) {
                    error = QStringLiteral("cannot read %1").arg(entry.params.value(key));
                    return false;
                }
            }
            out += svg.midRef(last, m.capturedStart() - last);
            out += value;
            last = m.capturedEnd();
            replaced = true;
        }
        if (!replaced)
            return true;
        out += svg.midRef(last);
        svg = out;
    }
    error = QStringLiteral("fields nested too deep");
    return false;
}

// The name Qt looks for on a screen of device pixel ratio two: "@2x" before
// the file name's suffix, or appended when it has none.
QString twinAlias(const QString &alias)
{
    const int slash = alias.lastIndexOf(QLatin1Char('/'));
    const int dot = alias.lastIndexOf(QLatin1Char('.'));
    const int at = dot > slash ? dot : alias.size();
    return alias.left(at) + QStringLiteral("@2x") + alias.mid(at);
}

bool hasTwin(const Entry &entry)
{
    return !entry.alias.endsWith(QLatin1String(".ico"))
        && entry.params.value(QStringLiteral("hidpi")) != QLatin1String("no");
}

// Draws the entry at `scale` times its size; the source's {{w}} and {{h}}
// stay the entry's size, so the drawing scales as a whole.
QImage render(const Entry &entry, const QDir &artDir, int scale, QString &error)
{
    // A missing family would fall back silently and draw CJK labels as boxes.
    const QString font = entry.params.value(QStringLiteral("font"));
    if (!font.isEmpty() && !QFontDatabase().families().contains(font)) {
        error = QStringLiteral("font family \"%1\" is not installed (scripts/bootstrap installs fonts-noto-cjk)")
                    .arg(font);
        return {};
    }
    bool ok = false;
    QString svg = readText(artDir.filePath(entry.source), ok);
    if (!ok) {
        error = QStringLiteral("cannot read %1").arg(entry.source);
        return {};
    }
    if (!expand(svg, entry, artDir, error))
        return {};
    QSvgRenderer renderer(svg.toUtf8());
    if (!renderer.isValid()) {
        error = QStringLiteral("%1 is not valid SVG after filling its fields").arg(entry.source);
        return {};
    }
    QImage image(entry.size * scale, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(entry.size * scale)));
    return image;
}

bool isOpaque(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) != 255)
                return false;
        }
    }
    return true;
}

void writeContactSheet(const QList<QPair<QString, QImage>> &images, const QString &path)
{
    const QSize cell(300, 200);
    const int columns = 8;
    const int rows = (images.size() + columns - 1) / columns;
    QImage sheet(columns * cell.width(), rows * cell.height(), QImage::Format_RGB32);
    sheet.fill(QColor(0x3a, 0x3f, 0x4e));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    for (int i = 0; i < images.size(); ++i) {
        const QRect box(i % columns * cell.width(), i / columns * cell.height(), cell.width(), cell.height());
        painter.fillRect(box.adjusted(4, 4, -4, -4),
            (i / columns + i % columns) % 2 ? QColor(0x52, 0x58, 0x6a) : QColor(0x2a, 0x2e, 0x3a));
        const QImage &image = images[i].second;
        const QSize fit = image.size().boundedTo(QSize(cell.width() - 16, cell.height() - 36));
        const QImage shown = image.scaled(fit, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        painter.drawImage(box.x() + (cell.width() - shown.width()) / 2, box.y() + 8, shown);
        painter.setPen(Qt::white);
        painter.drawText(box.adjusted(6, 0, -6, -6), Qt::AlignBottom | Qt::AlignHCenter,
            QStringLiteral("%1 %2x%3").arg(images[i].first).arg(image.width()).arg(image.height()));
    }
    painter.end();
    sheet.save(path);
}

// Draws the entry at `scale` into `target`; null (with a message) when it
// could not be drawn or written.
QImage writePicture(const Entry &entry, const QDir &artDir, int scale, const QString &target, const QString &list)
{
    QString error;
    const QImage image = render(entry, artDir, scale, error);
    const QString asked = entry.params.value(QStringLiteral("format"));
    const bool jpeg = asked == QLatin1String("jpeg");
    const char *format = entry.alias.endsWith(QLatin1String(".ico")) ? "ICO" : jpeg ? "JPEG" : "PNG";
    if (!asked.isEmpty() && !jpeg)
        error = QStringLiteral("unknown format \"%1\" (only \"jpeg\")").arg(asked);
    else if (jpeg && !image.isNull() && !isOpaque(image))
        error = QStringLiteral("a JPEG picture must be opaque");
    if (!error.isEmpty() || image.isNull() || !QDir().mkpath(QFileInfo(target).absolutePath())
        || !image.save(target, format, jpeg ? 92 : -1)) {
        fail(QStringLiteral("%1:%2: %3 not written: %4")
                 .arg(list)
                 .arg(entry.line)
                 .arg(target, error.isEmpty() ? QStringLiteral("write failed") : error));
        return {};
    }
    return image;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString contact;
    const int contactAt = args.indexOf(QStringLiteral("--contact"));
    if (contactAt >= 0 && contactAt + 1 < args.size()) {
        contact = args.takeAt(contactAt + 1);
        args.removeAt(contactAt);
    }
    if (args.size() != 2) {
        fail(QStringLiteral("usage: quillmere-makeart <art.list> <output folder> [--contact <sheet.png>]"));
        return 2;
    }
    const QDir artDir = QFileInfo(args[0]).absoluteDir();
    const QDir outDir(args[1]);
    QList<Entry> entries;
    if (!readList(args[0], entries))
        return 1;

    QList<QPair<QString, QImage>> rendered;
    bool ok = true;
    for (const Entry &entry : qAsConst(entries)) {
        for (int scale = 1; scale <= (hasTwin(entry) ? 2 : 1); ++scale) {
            const QString alias = scale == 1 ? entry.alias : twinAlias(entry.alias);
            const QImage image = writePicture(
                entry, artDir, scale, outDir.filePath(entry.prefix.mid(1) + QLatin1Char('/') + alias), args[0]);
            if (image.isNull())
                ok = false;
            else if (scale == 1 && !contact.isEmpty())
                rendered.append({entry.alias, image});
        }
    }
    if (!contact.isEmpty())
        writeContactSheet(rendered, contact);
    return ok ? 0 : 1;
}
