#include "avatarwidget.h"

#include "contactsaddressbook.h"
#include "mtheme.h"

#include <QtContacts/QContactAvatar>
#include <QtContacts/QContactFetchRequest>
#include <QtContacts/QContactIdFilter>

#include <QPainter>
#include <QPainterPath>
#include <QPixmapCache>

using namespace QtContacts;

namespace {
const char *const GenericImage = "icon-m-common-avatar";
}

AvatarWidget::AvatarWidget(QGraphicsItem *parent) : MWidgetController(parent)
{
    setStyleName(QStringLiteral("CommonThumbnail"));
}

void AvatarWidget::clear()
{
    if (m_fetch) {
        m_fetch->cancel();
        m_fetch->deleteLater();
    }
    m_contactId = 0;
    m_iconId.clear();
    m_name.clear();
    m_initials.clear();
    m_faceKey.clear();
    m_picture = QPixmap();
    update();
}

void AvatarWidget::setContactId(QContactLocalId id)
{
    if (id == m_contactId && m_iconId.isEmpty())
        return;
    clear();
    m_contactId = id;
    update();
    if (!id)
        return;
    auto *fetch = new QContactFetchRequest(this);
    fetch->setManager(ContactsAddressBook::manager());
    QContactIdFilter filter;
    filter.setIds({ContactsEngine::toContactId(id)});
    fetch->setFilter(filter);
    m_fetch = fetch;
    connect(fetch, &QContactFetchRequest::stateChanged, this, &AvatarWidget::onFetchStateChanged);
    if (!fetch->start())
        fetch->deleteLater();
}

void AvatarWidget::onFetchStateChanged()
{
    auto *fetch = qobject_cast<QContactFetchRequest *>(sender());
    if (!fetch || !fetch->isFinished())
        return;
    fetch->deleteLater();
    if (fetch != m_fetch)
        return;
    const QList<QContact> found = fetch->contacts();
    if (!found.isEmpty() && ContactsEngine::toLocalId(found.first().id()) == m_contactId)
        setContact(found.first());
}

void AvatarWidget::setContact(const QContact &contact)
{
    const QContactLocalId id = ContactsEngine::toLocalId(contact.id());
    if (m_fetch && id != m_contactId)
        clear();
    m_contactId = id;
    QPixmap picture;
    const QUrl url = contact.detail<QContactAvatar>().imageUrl();
    if (url.isLocalFile())
        picture.load(url.toLocalFile());
    showDetails(ContactsEngine::synthesizedContactDisplayLabel(contact), picture);
    Q_EMIT contactLoaded();
}

void AvatarWidget::showContact(QContactLocalId id, const QString &name, const QString &pictureFile)
{
    if (m_fetch || !m_iconId.isEmpty())
        clear();
    m_contactId = id;
    QPixmap picture;
    // Rows of a scrolled list show the same pictures again and again: read each file once.
    if (!pictureFile.isEmpty() && !QPixmapCache::find(pictureFile, &picture) &&
        picture.load(pictureFile))
        QPixmapCache::insert(pictureFile, picture);
    showDetails(name, picture);
}

void AvatarWidget::showDetails(const QString &name, const QPixmap &picture)
{
    // A list refilled after a change of filter shows many rows' contacts again: their
    // drawn pictures stay.
    if (m_iconId.isEmpty() && name == m_name && picture.cacheKey() == m_picture.cacheKey())
        return;
    m_iconId.clear();
    m_name = name;
    m_picture = picture;
    const bool hasName =
        !m_name.isEmpty() && !m_name.at(0).isDigit() && m_name.at(0) != QLatin1Char('+');
    m_initials = m_picture.isNull() && hasName ? initialsOf(m_name) : QString();
    m_faceKey.clear();
    update();
}

void AvatarWidget::setImage(const QString &iconId)
{
    clear();
    m_iconId = iconId;
    update();
}

QString AvatarWidget::initialsOf(const QString &name)
{
    // The first letters of the first and the last words (runs of characters between spaces)
    // that start with a letter; read in one pass, as list rows ask for many names.
    QChar first, last;
    int words = 0;
    bool inWord = false;
    for (const QChar c : name) {
        const bool space = c.isSpace();
        if (!space && !inWord && c.isLetter()) {
            if (words++ == 0)
                first = c;
            last = c;
        }
        inWord = !space;
    }
    if (words == 0)
        return QString();
    QString initials(first.toUpper());
    if (words > 1)
        initials += last.toUpper();
    return initials;
}

QColor AvatarWidget::colorOf(const QString &name)
{
    uint h = 5381;
    for (const QChar c : name)
        h = h * 33 + c.unicode();
    return QColor::fromHsv(int(h % 360), 110, 150);
}

QSizeF AvatarWidget::sizeHint(Qt::SizeHint which, const QSizeF &constraint) const
{
    if (which == Qt::MinimumSize || which == Qt::PreferredSize) {
        const QMargins p = style().padding;
        return QSizeF(style().iconSize + p.left() + p.right(),
                      style().iconSize + p.top() + p.bottom());
    }
    return MWidgetController::sizeHint(which, constraint);
}

void AvatarWidget::drawContents(QPainter *painter, const QStyleOptionGraphicsItem *)
{
    const int s = style().iconSize;
    // The contents rectangle: its paddings change sides right to left.
    const QRectF area = contentsRect();
    const QRectF box(area.left(), area.top() + (area.height() - s) / 2, s, s);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    QPainterPath circle;
    if (m_initials.isEmpty())
        circle.addEllipse(box);
    if (!m_picture.isNull()) {
        painter->setClipPath(circle);
        painter->drawPixmap(box, m_picture, QRectF(m_picture.rect()));
    } else if (!m_initials.isEmpty()) {
        // A list shows the same few initials on the same colours over and over: each is drawn
        // once and then copied. Its key is made once per name shown.
        const QColor color = colorOf(m_name);
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1;
        if (m_faceKey.isEmpty() || m_faceKeySize != s || m_faceKeyRatio != dpr) {
            m_faceKey = QLatin1String("avatar:") + m_initials + QLatin1Char(':') + color.name() +
                        QLatin1Char(':') + QString::number(s) + QLatin1Char(':') +
                        QString::number(dpr);
            m_faceKeySize = s;
            m_faceKeyRatio = dpr;
        }
        const QString &key = m_faceKey;
        QPixmap face;
        if (!QPixmapCache::find(key, &face)) {
            face = QPixmap(QSize(s, s) * dpr);
            face.setDevicePixelRatio(dpr);
            face.fill(Qt::transparent);
            QPainter p(&face);
            p.setRenderHint(QPainter::Antialiasing);
            QPainterPath disc;
            disc.addEllipse(QRectF(0, 0, s, s));
            p.fillPath(disc, color);
            QFont f = style().font();
            f.setPixelSize(qMax(8, int(s * 0.4)));
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(QRectF(0, 0, s, s), Qt::AlignCenter, m_initials);
            p.end();
            QPixmapCache::insert(key, face);
        }
        painter->drawPixmap(box.topLeft(), face);
    } else {
        const QString id = m_iconId.isEmpty() ? QLatin1String(GenericImage) : m_iconId;
        painter->fillPath(circle, QColor(0x3a, 0x45, 0x52));
        const int inner = int(s * 0.62);
        const QRectF icon(box.center().x() - inner / 2.0, box.center().y() - inner / 2.0, inner,
                          inner);
        painter->drawPixmap(icon.topLeft(),
                            MTheme::instance()->pixmap(id, QSize(inner, inner), style().color));
    }
    painter->restore();
}
