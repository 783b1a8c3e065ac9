#pragma once

#include "contactsengine.h"
#include "mwidgetcontroller.h"

#include <QtContacts/QContact>

#include <QPixmap>
#include <QPointer>

namespace QtContacts {
class QContactFetchRequest;
}

// A contact's round picture: the contact's own picture (a local image file of its avatar
// detail); else its initials on a colour derived from its name; else a generic person image.
// A fixed image (an icon id) may be shown instead of a contact. Size: the style's icon size.
//
// setContactId() reads the contact from the address book with an asynchronous fetch; the
// avatar shows the generic image until the result arrives, and keeps it if the contact is gone.
class AvatarWidget : public MWidgetController
{
    Q_OBJECT
public:
    explicit AvatarWidget(QGraphicsItem *parent = nullptr);

    QContactLocalId contactId() const { return m_contactId; }
    void setContactId(QContactLocalId id);
    void setContact(const QtContacts::QContact &contact);
    // Shows a contact whose name and picture (a local image file, empty for none) are known
    // already, without reading the address book (list rows, which come and go as they scroll).
    void showContact(QContactLocalId id, const QString &name, const QString &pictureFile);
    // A fixed image by icon id; forgets the contact.
    void setImage(const QString &iconId);
    QString image() const { return m_iconId; }
    // Inverted avatars sit on the dark pop-up cards (kept for callers that ask for it).
    void setInverted(bool inverted) { m_inverted = inverted; }
    bool isInverted() const { return m_inverted; }

    // What is drawn: initials (empty when a picture or an image is shown), and whether the
    // contact's own picture is shown.
    QString initials() const { return m_initials; }
    bool hasPicture() const { return !m_picture.isNull(); }

    // Initials of a name: the first letter of its first and last words, upper case.
    static QString initialsOf(const QString &name);
    // A colour for a name, the same for the same name in every run.
    static QColor colorOf(const QString &name);

Q_SIGNALS:
    void contactLoaded();

protected:
    void drawContents(QPainter *painter, const QStyleOptionGraphicsItem *option) override;
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF &constraint = QSizeF()) const override;

private:
    void onFetchStateChanged();
    void clear();
    // Shows name and picture for m_contactId.
    void showDetails(const QString &name, const QPixmap &picture);

    QContactLocalId m_contactId = 0;
    QString m_iconId;
    QString m_name;
    QString m_initials;
    QPixmap m_picture;
    // The key of the drawn initials' picture, for the size and pixel ratio it was made for.
    QString m_faceKey;
    int m_faceKeySize = 0;
    qreal m_faceKeyRatio = 0;
    bool m_inverted = false;
    QPointer<QtContacts::QContactFetchRequest> m_fetch;
};
