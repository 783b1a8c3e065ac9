#include "contactpickercellcreator.h"

#include "contactlistrow.h"
#include "contactpickermodel.h"
#include "mwidgetrecycler.h"

MWidget *ContactPickerCellCreator::createCell(const QModelIndex &index,
                                              MWidgetRecycler &recycler) const
{
    MWidget *cell =
        recycler.take(QString::fromLatin1(ContactListRow::staticMetaObject.className()));
    if (!cell)
        cell = new ContactListRow(0, QString());
    updateCell(index, cell);
    return cell;
}

void ContactPickerCellCreator::updateCell(const QModelIndex &index, MWidget *cell) const
{
    auto *row = qobject_cast<ContactListRow *>(cell);
    if (!row)
        return;
    const auto *model = qobject_cast<const ContactPickerModel *>(index.model());
    row->showContact(index.data(ContactPickerModel::IdRole).toUInt(),
                     index.data(Qt::DisplayRole).toString(),
                     index.data(ContactPickerModel::PictureRole).toString(),
                     index.data(ContactPickerModel::MatchedNumberRole).toString(),
                     model ? model->highlighter() : nullptr);
}

QSizeF ContactPickerCellCreator::cellSize() const
{
    if (!m_size.isValid()) {
        ContactListRow probe(0, QString());
        m_size = probe.effectiveSizeHint(Qt::PreferredSize);
    }
    return m_size;
}
