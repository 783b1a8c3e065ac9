#include "mtheme.h"

#include "mdatapaths.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPointer>
#include <QSvgRenderer>
#include <QTextStream>

namespace {
QPointer<MTheme> s_theme;

Qt::Alignment parseAlignment(const QString &v)
{
    Qt::Alignment a = Qt::AlignVCenter;
    if (v.contains(QLatin1String("center")))
        a |= Qt::AlignHCenter;
    else if (v.contains(QLatin1String("right")))
        a |= Qt::AlignRight;
    else
        a |= Qt::AlignLeft;
    if (v.contains(QLatin1String("top")))
        a = (a & ~Qt::AlignVertical_Mask) | Qt::AlignTop;
    return a;
}
} // namespace

MTheme *MTheme::instance()
{
    if (!s_theme)
        s_theme = new MTheme;
    return s_theme;
}

MTheme::MTheme(QObject *parent) : QObject(parent)
{
    reload();
}

void MTheme::reload()
{
    m_styles.clear();
    m_icons.clear();
    m_pixmapCache.clear();
    loadStyles(MDataPaths::find(QStringLiteral("theme/theme.conf")));
    loadIcons(MDataPaths::find(QStringLiteral("theme/icons.conf")));
    m_default = m_styles.value(QStringLiteral("Default"), MStyle());
    Q_EMIT themeChanged();
}

void MTheme::setScale(qreal scale)
{
    if (scale <= 0 || qFuzzyCompare(scale, m_scale))
        return;
    m_scale = scale;
    reload();
}

const MStyle &MTheme::style(const QString &styleName) const
{
    auto it = m_styles.constFind(styleName);
    return it == m_styles.constEnd() ? m_default : it.value();
}

bool MTheme::hasStyle(const QString &styleName) const
{
    return m_styles.contains(styleName);
}

void MTheme::loadStyles(const QString &path)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&f);
    in.setCodec("UTF-8");
    QString current;
    MStyle style;
    auto flush = [&]() {
        if (!current.isEmpty())
            m_styles.insert(current, style);
    };
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1String("//")))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            flush();
            current = line.mid(1, line.size() - 2).trimmed();
            // Styles share the default text look; the default background is the window's only.
            style = m_styles.value(QStringLiteral("Default"), MStyle());
            style.backgroundColor = QColor();
            continue;
        }
        const int colon = line.indexOf(QLatin1Char(':'));
        if (colon <= 0 || current.isEmpty())
            continue;
        const QString key = line.left(colon).trimmed();
        const QString value = line.mid(colon + 1).trimmed();
        if (key == QLatin1String("inherits"))
            style = m_styles.value(value, style);
        else
            applyProperty(style, key, value);
    }
    flush();
}

void MTheme::applyProperty(MStyle &s, const QString &key, const QString &value) const
{
    auto px = [&](const QString &v) { return qRound(v.toDouble() * m_scale); };
    if (key == QLatin1String("color"))
        s.color = QColor(value);
    else if (key == QLatin1String("background-color"))
        s.backgroundColor = QColor(value);
    else if (key == QLatin1String("divider-color"))
        s.dividerColor = QColor(value);
    else if (key == QLatin1String("border-color"))
        s.borderColor = QColor(value);
    else if (key == QLatin1String("accent-color"))
        s.accentColor = QColor(value);
    else if (key == QLatin1String("prompt-color"))
        s.promptColor = QColor(value);
    else if (key == QLatin1String("checked-background-color"))
        s.checkedBackgroundColor = QColor(value);
    else if (key == QLatin1String("icon-tint"))
        s.iconTint = value != QLatin1String("none");
    else if (key == QLatin1String("checked-indicator"))
        s.checkedIndicator = px(value);
    else if (key == QLatin1String("font-family"))
        s.fontFamily = value;
    else if (key == QLatin1String("font-size"))
        s.fontSize = px(value);
    else if (key == QLatin1String("font-weight"))
        s.bold = value == QLatin1String("bold");
    else if (key == QLatin1String("text-transform"))
        s.uppercase = value == QLatin1String("uppercase");
    else if (key == QLatin1String("letter-spacing"))
        s.letterSpacing = value.toDouble() * m_scale;
    else if (key == QLatin1String("height"))
        s.height = px(value);
    else if (key == QLatin1String("minimum-width"))
        s.minimumWidth = px(value);
    else if (key == QLatin1String("radius"))
        s.radius = px(value);
    else if (key == QLatin1String("icon-size"))
        s.iconSize = px(value);
    else if (key == QLatin1String("spacing"))
        s.spacing = px(value);
    else if (key == QLatin1String("alignment"))
        s.alignment = parseAlignment(value);
    else if (key == QLatin1String("padding")) {
        const QStringList p = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (p.size() == 1)
            s.padding = QMargins(px(p[0]), px(p[0]), px(p[0]), px(p[0]));
        else if (p.size() == 2)
            s.padding = QMargins(px(p[1]), px(p[0]), px(p[1]), px(p[0]));
        else if (p.size() == 4)
            s.padding = QMargins(px(p[3]), px(p[0]), px(p[1]), px(p[2]));
    } else if (key == QLatin1String("padding-left"))
        s.padding.setLeft(px(value));
    else if (key == QLatin1String("padding-right"))
        s.padding.setRight(px(value));
    else if (key == QLatin1String("padding-top"))
        s.padding.setTop(px(value));
    else if (key == QLatin1String("padding-bottom"))
        s.padding.setBottom(px(value));
}

void MTheme::loadIcons(const QString &path)
{
    QFile f(path);
    if (path.isEmpty() || !f.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    QTextStream in(&f);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        const int eq = line.indexOf(QLatin1Char('='));
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')) || eq <= 0)
            continue;
        const QString id = line.left(eq).trimmed();
        const QString file = line.mid(eq + 1).trimmed();
        QString resolved;
        if (file.startsWith(QLatin1String("breeze:")))
            resolved =
                QStringLiteral("/usr/share/icons/breeze/") + file.mid(7) + QStringLiteral(".svg");
        else
            resolved = MDataPaths::find(file);
        if (!resolved.isEmpty() && QFileInfo::exists(resolved))
            m_icons.insert(id, resolved);
    }
}

QString MTheme::iconPath(const QString &iconId) const
{
    return m_icons.value(iconId);
}

QPixmap MTheme::pixmap(const QString &iconId, const QSize &size, const QColor &tint) const
{
    const QString key = iconId + QLatin1Char('@') + QString::number(size.width()) +
                        QLatin1Char('x') + QString::number(size.height()) + QLatin1Char('/') +
                        (tint.isValid() ? tint.name(QColor::HexArgb) : QString());
    auto it = m_pixmapCache.constFind(key);
    if (it != m_pixmapCache.constEnd())
        return it.value();
    const QString path = iconPath(iconId);
    if (path.isEmpty() || size.isEmpty())
        return QPixmap();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        if (path.endsWith(QLatin1String(".svg"))) {
            QSvgRenderer svg(path);
            QSizeF natural = svg.defaultSize();
            natural.scale(size, Qt::KeepAspectRatio);
            const QRectF target((size.width() - natural.width()) / 2,
                                (size.height() - natural.height()) / 2, natural.width(),
                                natural.height());
            svg.render(&p, target);
        } else {
            p.drawImage(QRect(QPoint(), size), QImage(path));
        }
        if (tint.isValid()) {
            p.setCompositionMode(QPainter::CompositionMode_SourceIn);
            p.fillRect(image.rect(), tint);
        }
    }
    const QPixmap pm = QPixmap::fromImage(image);
    m_pixmapCache.insert(key, pm);
    return pm;
}
