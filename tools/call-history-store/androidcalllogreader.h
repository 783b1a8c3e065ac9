#ifndef ANDROIDCALLLOGREADER_H
#define ANDROIDCALLLOGREADER_H

#include "callreader.h"

class QXmlStreamReader;

/*
 * An Android call log as the common backup apps write it:
 *   <calls count="2"><call number="+3584012345" duration="73" date="1700000000000" type="1"
 *     presentation="1" .../>...</calls>
 * "date" is the start in milliseconds since the epoch, "duration" seconds (absent: 0).
 *
 * Types: 1 incoming (received), 2 outgoing (dialled), 3 missed; 4 (voicemail), 5 (rejected: the
 * person declined it) and 6 (blocked: a blocklist turned it away) were not answered and become
 * missed calls, the history having no kinds of its own for them; 7 (answered on another device)
 * becomes received. Any other type is an error.
 * Withheld numbers (an empty number, Android's "-1", "-2" and "-3", or a presentation other than
 * 1, allowed) get an empty remote identifier. "features" bit 1 marks a video call. Every call
 * goes on the account given, and is read.
 *
 * Other elements and attributes are skipped. Malformed XML, a root element other than <calls>,
 * a call without "date" or "type", values that are not numbers, and times and numbers out of
 * CallBounds are errors naming the line; so is a document type declaration (a call log has no
 * use for entities, and their expansion is how a small file grows to gigabytes). Memory stays
 * bounded by the calls read: a piece of markup (a tag with its attributes, a text, a comment)
 * longer than MaxMarkupBytes is refused, to within the 4 KiB the file is read in. What follows
 * the end of <calls> is not read.
 */
class AndroidCallLogReader : public CallReader
{
public:
    enum { MaxMarkupBytes = 65536 };

    explicit AndroidCallLogReader(const QString &account) : m_account(account) {}

    bool read(const QString &fileName, ImportProgress *progress,
              QList<CommHistory::Event> *out) override;

private:
    bool readCall(QXmlStreamReader &xml, CommHistory::Event *event, QString *error) const;

    const QString m_account;
};

#endif
