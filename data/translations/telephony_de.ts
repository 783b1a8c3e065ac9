<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="qtn_call_add_contact">
        <source>Save as new contact</source>
        <translation>Als neuen Kontakt speichern</translation>
    </message>
    <message id="qtn_call_add_contact_question">
        <source>Save this number as a new contact, or add it to an existing one?</source>
        <translation>Diese Nummer als neuen Kontakt speichern oder einem vorhandenen Kontakt hinzufügen?</translation>
    </message>
    <message id="qtn_call_conf_clear_history">
        <source>Delete the whole call history?</source>
        <translation>Gesamte Anrufliste löschen?</translation>
    </message>
    <message id="qtn_call_contact_picker_dialog_title">
        <source>Choose a number to call</source>
        <translation>Nummer zum Anrufen wählen</translation>
    </message>
    <message id="qtn_call_contact_picker_title">
        <source>Choose a contact</source>
        <translation>Kontakt wählen</translation>
    </message>
    <message id="qtn_call_copy_number">
        <source>Copy number</source>
        <translation>Nummer kopieren</translation>
    </message>
    <message id="qtn_call_dialer_nothing_to_paste">
        <source>Nothing to paste: the clipboard holds no number</source>
        <translation>Nichts einzufügen: Die Zwischenablage enthält keine Nummer</translation>
    </message>
    <message id="qtn_call_duration">
        <source>Duration %1</source>
        <translation>Dauer %1</translation>
    </message>
    <message id="qtn_call_emergency_failed">
        <source>Emergency call to %1 failed</source>
        <translation>Notruf an %1 fehlgeschlagen</translation>
    </message>
    <message id="qtn_call_account_missing">
        <source>Account not set up</source>
        <translation>Konto nicht eingerichtet</translation>
    </message>
    <message id="qtn_call_account_missing_info">
        <source>This account is not set up on this phone</source>
        <translation>Dieses Konto ist auf diesem Telefon nicht eingerichtet</translation>
    </message>
    <message id="qtn_call_address_added">
        <source>Address added to contact</source>
        <translation>Adresse zum Kontakt hinzugefügt</translation>
    </message>
    <message id="qtn_call_empty_view">
        <source>No calls</source>
        <translation>Keine Anrufe</translation>
    </message>
    <message id="qtn_call_number_added">
        <source>Number added to contact</source>
        <translation>Nummer zum Kontakt hinzugefügt</translation>
    </message>
    <message id="qtn_call_no_matching_calls">
        <source>No matching calls</source>
        <translation>Keine passenden Anrufe</translation>
    </message>
    <message id="qtn_call_failed">
        <source>Could not call %1</source>
        <translation>%1 konnte nicht angerufen werden</translation>
    </message>
    <message id="qtn_call_history_unreadable">
        <source>The call history can&apos;t be read</source>
        <translation>Die Anrufliste kann nicht gelesen werden</translation>
    </message>
    <message id="qtn_call_incorrect_number">
        <source>Invalid number</source>
        <translation>Ungültige Nummer</translation>
    </message>
    <message id="qtn_call_link_not_number">
        <source>The link holds no phone number</source>
        <translation>Der Link enthält keine Telefonnummer</translation>
    </message>
    <message id="qtn_call_log_empty">
        <source>Clear call history</source>
        <translation>Anrufliste leeren</translation>
    </message>
    <message id="qtn_call_log_vm_dialled">
        <source>Dialled calls</source>
        <translation>Gewählte Anrufe</translation>
    </message>
    <message id="qtn_call_log_vm_grouping">
        <source>Show</source>
        <translation>Anzeigen</translation>
    </message>
    <message id="qtn_call_log_vm_missed">
        <source>Missed calls</source>
        <translation>Entgangene Anrufe</translation>
    </message>
    <message id="qtn_call_log_vm_received">
        <source>Received calls</source>
        <translation>Angenommene Anrufe</translation>
    </message>
    <message id="qtn_call_merge_contact">
        <source>Add to existing contact</source>
        <translation>Zu vorhandenem Kontakt hinzufügen</translation>
    </message>
    <message id="qtn_call_message_refused">
        <source>Messages cannot be sent to this address</source>
        <translation>An diese Adresse können keine Nachrichten gesendet werden</translation>
    </message>
    <message id="qtn_call_mobile">
        <source>Phone</source>
        <translation>Telefon</translation>
    </message>
    <message id="qtn_call_multiple_contact_number" numerus="yes">
        <source>%n contacts</source>
        <translation>
            <numerusform>%n Kontakt</numerusform>
            <numerusform>%n Kontakte</numerusform>
        </translation>
    </message>
    <message id="qtn_call_multiple_contacts_title">
        <source>%1 contacts</source>
        <translation>%1 Kontakte</translation>
    </message>
    <message id="qtn_call_not_allowed">
        <source>Private numbers cannot be called</source>
        <translation>Private Nummern können nicht angerufen werden</translation>
    </message>
    <message id="qtn_call_number_copied">
        <source>Number copied</source>
        <translation>Nummer kopiert</translation>
    </message>
    <message id="qtn_call_page_coming">
        <source>Not available yet</source>
        <translation>Noch nicht verfügbar</translation>
    </message>
    <message id="qtn_call_save_number">
        <source>Save number</source>
        <translation>Nummer speichern</translation>
    </message>
    <message id="qtn_call_select_type">
        <source>Call with</source>
        <translation>Anrufen mit</translation>
    </message>
    <message id="qtn_call_sort_by_contact">
        <source>All calls</source>
        <translation>Alle Anrufe</translation>
    </message>
    <message id="qtn_call_tab_contacts">
        <source>Contacts</source>
        <translation>Kontakte</translation>
    </message>
    <message id="qtn_call_tab_dialer">
        <source>Dialer</source>
        <translation>Wähltastatur</translation>
    </message>
    <message id="qtn_call_tab_history">
        <source>Call history</source>
        <translation>Anrufliste</translation>
    </message>
    <message id="qtn_call_type_emergency">
        <source>Emergency call</source>
        <translation>Notruf</translation>
    </message>
    <message id="qtn_call_type_private">
        <source>Private number</source>
        <translation>Private Nummer</translation>
    </message>
    <message id="qtn_call_type_voicemail">
        <source>Voicemail</source>
        <translation>Mailbox</translation>
    </message>
    <message id="qtn_call_video_call">
        <source>Video call&#x9c;Video</source>
        <translation>Videoanruf&#x9c;Video</translation>
    </message>
    <message id="qtn_call_view_no_dialed_calls">
        <source>No dialled calls</source>
        <translation>Keine gewählten Anrufe</translation>
    </message>
    <message id="qtn_call_view_no_missed_calls">
        <source>No missed calls</source>
        <translation>Keine entgangenen Anrufe</translation>
    </message>
    <message id="qtn_call_view_no_received_calls">
        <source>No received calls</source>
        <translation>Keine angenommenen Anrufe</translation>
    </message>
    <message id="qtn_call_contact_not_saved_eds">
        <source>%1 was not saved to the address book: %2</source>
        <translation>%1 wurde nicht im Adressbuch gespeichert: %2</translation>
    </message>
    <message id="qtn_call_voicemail_contact_not_saved">
        <source>Voicemail number saved, but the address book could not be updated</source>
        <translation>Mailbox-Nummer gespeichert, aber das Adressbuch konnte nicht aktualisiert werden</translation>
    </message>
    <message id="qtn_call_voicemail_dialog_title">
        <source>Voicemail number</source>
        <translation>Mailbox-Nummer</translation>
    </message>
    <message id="qtn_call_voicemail_number_invalid">
        <source>This is not a valid phone number</source>
        <translation>Das ist keine gültige Telefonnummer</translation>
    </message>
    <message id="qtn_call_voicemail_number_not_saved">
        <source>The number could not be saved</source>
        <translation>Die Nummer konnte nicht gespeichert werden</translation>
    </message>
    <message id="qtn_call_voicemail_number_prompt">
        <source>Enter the voicemail number</source>
        <translation>Mailbox-Nummer eingeben</translation>
    </message>
    <message id="qtn_comm_cancel">
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message id="qtn_comm_popup_no">
        <source>No</source>
        <translation>Nein</translation>
    </message>
    <message id="qtn_comm_popup_ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="qtn_comm_popup_yes">
        <source>Yes</source>
        <translation>Ja</translation>
    </message>
    <message id="qtn_comm_command_done">
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
    <message id="qtn_comm_delete">
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message id="qtn_comm_older">
        <source>Older</source>
        <translation>Älter</translation>
    </message>
    <message id="qtn_comm_save">
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message id="qtn_comm_search">
        <source>Search</source>
        <translation>Suchen</translation>
    </message>
    <message id="qtn_comm_share_disabled_account">
        <source>This account is switched off</source>
        <translation>Dieses Konto ist ausgeschaltet</translation>
    </message>
    <message id="qtn_comm_time_last_week">
        <source>Last week</source>
        <translation>Letzte Woche</translation>
    </message>
    <message id="qtn_comm_time_today">
        <source>Today</source>
        <translation>Heute</translation>
    </message>
    <message id="qtn_comm_time_yesterday">
        <source>Yesterday</source>
        <translation>Gestern</translation>
    </message>
    <message id="qtn_comm_type_fax">
        <source>Fax</source>
        <translation>Fax</translation>
    </message>
    <message id="qtn_comm_type_home">
        <source>Home</source>
        <translation>Privat</translation>
    </message>
    <message id="qtn_comm_type_mobile">
        <source>Mobile</source>
        <translation>Mobil</translation>
    </message>
    <message id="qtn_comm_type_work">
        <source>Work</source>
        <translation>Geschäftlich</translation>
    </message>
    <message id="qtn_cont_type_other">
        <source>Other</source>
        <translation>Sonstige</translation>
    </message>
    <message id="qtn_call_no_messaging">
        <source>No application for messages is installed</source>
        <translation>Keine Anwendung für Nachrichten installiert</translation>
    </message>
    <message id="qtn_comm_close">
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message id="qtn_cont_type_chat">
        <source>Chat</source>
        <translation>Chat</translation>
    </message>
    <message id="qtn_cont_new_contact">
        <source>New contact</source>
        <translation>Neuer Kontakt</translation>
    </message>
    <message id="qtn_cont_first_name">
        <source>First name</source>
        <translation>Vorname</translation>
    </message>
    <message id="qtn_cont_last_name">
        <source>Last name</source>
        <translation>Nachname</translation>
    </message>
    <message id="qtn_cont_save">
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message id="qtn_cont_no_contacts">
        <source>No contacts</source>
        <translation>Keine Kontakte</translation>
    </message>
    <message id="qtn_cont_no_matching_contacts">
        <source>No matching contacts</source>
        <translation>Keine passenden Kontakte</translation>
    </message>
    <message id="qtn_cont_not_saved">
        <source>The contact was not saved</source>
        <translation>Der Kontakt wurde nicht gespeichert</translation>
    </message>
    <message id="qtn_cont_choose_contact">
        <source>Choose contact</source>
        <translation>Kontakt wählen</translation>
    </message>
    <message id="qtn_call_screen_title">
        <source>Call</source>
        <translation>Anruf</translation>
    </message>
    <message id="qtn_call_screen_incoming">
        <source>Incoming call</source>
        <translation>Eingehender Anruf</translation>
    </message>
    <message id="qtn_call_screen_calling">
        <source>Calling…</source>
        <translation>Wird angerufen…</translation>
    </message>
    <message id="qtn_call_screen_ringing">
        <source>Ringing…</source>
        <translation>Klingelt…</translation>
    </message>
    <message id="qtn_call_screen_on_hold">
        <source>On hold</source>
        <translation>Gehalten</translation>
    </message>
    <message id="qtn_call_screen_held_call">
        <source>On hold: %1</source>
        <translation>Gehalten: %1</translation>
    </message>
    <message id="qtn_call_screen_answer">
        <source>Answer</source>
        <translation>Annehmen</translation>
    </message>
    <message id="qtn_call_screen_decline">
        <source>Decline</source>
        <translation>Ablehnen</translation>
    </message>
    <message id="qtn_call_screen_mute">
        <source>Mute</source>
        <translation>Stumm</translation>
    </message>
    <message id="qtn_call_screen_keypad">
        <source>Keypad</source>
        <translation>Tastenfeld</translation>
    </message>
    <message id="qtn_call_screen_speaker">
        <source>Speaker</source>
        <translation>Lautsprecher</translation>
    </message>
    <message id="qtn_call_screen_end_and_answer">
        <source>End and answer</source>
        <translation>Beenden und annehmen</translation>
    </message>
    <message id="qtn_call_screen_hold_and_answer">
        <source>Hold and answer</source>
        <translation>Halten und annehmen</translation>
    </message>
    <message id="qtn_call_screen_busy">
        <source>Busy</source>
        <translation>Besetzt</translation>
    </message>
    <message id="qtn_call_screen_no_answer">
        <source>No answer</source>
        <translation>Keine Antwort</translation>
    </message>
    <message id="qtn_call_screen_failed">
        <source>Call failed</source>
        <translation>Anruf fehlgeschlagen</translation>
    </message>
    <message id="qtn_call_missed_notification" numerus="yes">
        <source>%n missed calls</source>
        <translation>
            <numerusform>%n verpasster Anruf</numerusform>
            <numerusform>%n verpasste Anrufe</numerusform>
        </translation>
    </message>
    <message id="qtn_call_missed_call_back">
        <source>Call back</source>
        <translation>Zurückrufen</translation>
    </message>
</context>
</TS>
