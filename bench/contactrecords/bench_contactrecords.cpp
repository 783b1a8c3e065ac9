// Memory of the shared contact records: heap bytes per CallHistoryContact holding a typical
// fetched contact (display label, a mobile and a work number, a VoIP account with its linked
// presence), after the rows have asked for presence on two accounts and matched a number. Each
// figure is compared with baselines measured in the same run:
//   - the fetched QContact alone (the data a record must keep in any case);
//   - a bare QObject (the floor of any QObject-based record);
//   - a QTimer (what a record with a timer object of its own would add).
#include "callhistorycontact.h"

#include <QtContacts/QContactDisplayLabel>
#include <QtContacts/QContactOnlineAccount>
#include <QtContacts/QContactPhoneNumber>
#include <QtContacts/QContactPresence>

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace QtContacts;

namespace {

const int recordCount = 2000;
const int rounds = 5;

QContact fetchedContact(int i)
{
    QContact contact;
    QContactDisplayLabel label;
    label.setLabel(QStringLiteral("Person %1").arg(i));
    contact.saveDetail(&label);
    QContactPhoneNumber mobile;
    mobile.setNumber(QStringLiteral("+358 40 %1 %2").arg(100 + i % 900).arg(1000 + i));
    mobile.setSubTypes({QContactPhoneNumber::SubTypeMobile});
    contact.saveDetail(&mobile);
    QContactPhoneNumber work;
    work.setNumber(QStringLiteral("09 %1 %2").arg(200 + i % 700).arg(2000 + i));
    work.setContexts(QContactDetail::ContextWork);
    contact.saveDetail(&work);
    const QString presenceUri = QStringLiteral("presence:%1").arg(i);
    QContactOnlineAccount account;
    account.setAccountUri(QStringLiteral("sip:person%1@voip.example").arg(i));
    account.setValue(QContactOnlineAccount__FieldAccountPath,
                     QStringLiteral("/org/freedesktop/Telepathy/Account/sip/sip/account0"));
    account.setLinkedDetailUris(presenceUri);
    contact.saveDetail(&account);
    QContactPresence presence;
    presence.setDetailUri(presenceUri);
    presence.setPresenceState(QContactPresence::PresenceAvailable);
    presence.setCustomMessage(QStringLiteral("At the office"));
    presence.setTimestamp(QDateTime::currentDateTimeUtc());
    contact.saveDetail(&presence);
    return contact;
}

size_t heapInUse()
{
    malloc_trim(0);
    return mallinfo2().uordblks;
}

// Heap bytes per item that make() leaves behind, the median of several rounds.
template <typename T, typename Make> double bytesPerItem(Make make)
{
    std::vector<double> samples;
    for (int round = 0; round < rounds; ++round) {
        std::vector<T *> items;
        items.reserve(recordCount);
        const size_t before = heapInUse();
        for (int i = 0; i < recordCount; ++i)
            items.push_back(make(i));
        const size_t after = heapInUse();
        samples.push_back(double(after - before) / recordCount);
        for (T *item : items)
            delete item;
    }
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const double record = bytesPerItem<CallHistoryContact>([](int i) {
        auto *contact = new CallHistoryContact(QContactLocalId(i + 1), nullptr);
        contact->setContact(fetchedContact(i));
        contact->presence(QStringLiteral("/org/freedesktop/Telepathy/Account/sip/sip/account0"));
        contact->presence(QStringLiteral("/org/freedesktop/Telepathy/Account/pulse/tel/pulse"));
        contact->numberType(QStringLiteral("0401234567"));
        return contact;
    });
    const double unresolved = bytesPerItem<CallHistoryContact>(
        [](int i) { return new CallHistoryContact(QContactLocalId(i + 1), nullptr); });
    const double contact =
        bytesPerItem<QContact>([](int i) { return new QContact(fetchedContact(i)); });
    const double object = bytesPerItem<QObject>([](int) { return new QObject; });
    const double timer = bytesPerItem<QTimer>([](int) { return new QTimer; });

    std::printf("contact records (%d records, median of %d rounds)\n", recordCount, rounds);
    std::printf("  resolved record:    %6.0f bytes\n", record);
    std::printf("  unresolved record:  %6.0f bytes\n", unresolved);
    std::printf("  baseline QContact:  %6.0f bytes  (record / contact: %.2fx; record's own part "
                "%.0f bytes)\n",
                contact, record / contact, record - contact);
    std::printf("  baseline QObject:   %6.0f bytes  (unresolved record / QObject: %.2fx)\n", object,
                unresolved / object);
    std::printf("  a QTimer would add: %6.0f bytes  (%.0f%% of a resolved record)\n", timer,
                100.0 * timer / record);
    return 0;
}
