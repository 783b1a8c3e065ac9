// Sets the voicemail numbers from a process of its own, as a settings application would:
// voicemail-setter [number...] (no number clears them). Exits with the Voicemail error code.
#include "addressbookchangebus.h"
#include "voicemail.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QList<VoicemailNumber> numbers;
    for (const QString &argument : app.arguments().mid(1))
        numbers.append(VoicemailNumber(argument));
    Voicemail voicemail;
    const Voicemail::VoicemailError error = voicemail.setVoicemailNumbers(numbers);
    ContactsEngine::AddressBookChangeBus::flush();
    if (error != Voicemail::NoError)
        std::fprintf(stderr, "voicemail-setter: %s\n", qPrintable(voicemail.errorString()));
    return int(error);
}
