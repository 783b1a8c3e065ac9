<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="qtn_call_add_contact">
        <source>Save as new contact</source>
        <translation>Save as new contact</translation>
    </message>
    <message id="qtn_call_add_contact_question">
        <source>Save this number as a new contact, or add it to an existing one?</source>
        <translation>Save this number as a new contact, or add it to an existing one?</translation>
    </message>
    <message id="qtn_call_conf_clear_history">
        <source>Delete the whole call history?</source>
        <translation>Delete the whole call history?</translation>
    </message>
    <message id="qtn_call_contact_picker_dialog_title">
        <source>Choose a number to call</source>
        <translation>Choose a number to call</translation>
    </message>
    <message id="qtn_call_contact_picker_title">
        <source>Choose a contact</source>
        <translation>Choose a contact</translation>
    </message>
    <message id="qtn_call_copy_number">
        <source>Copy number</source>
        <translation>Copy number</translation>
    </message>
    <message id="qtn_call_dialer_nothing_to_paste">
        <source>Nothing to paste: the clipboard holds no number</source>
        <translation>Nothing to paste: the clipboard holds no number</translation>
    </message>
    <message id="qtn_call_duration">
        <source>Duration %1</source>
        <translation>Duration %1</translation>
    </message>
    <message id="qtn_call_emergency_failed">
        <source>Emergency call to %1 failed</source>
        <translation>Emergency call to %1 failed</translation>
    </message>
    <message id="qtn_call_account_missing">
        <source>Account not set up</source>
        <translation>Account not set up</translation>
    </message>
    <message id="qtn_call_account_missing_info">
        <source>This account is not set up on this phone</source>
        <translation>This account is not set up on this phone</translation>
    </message>
    <message id="qtn_call_address_added">
        <source>Address added to contact</source>
        <translation>Address added to contact</translation>
    </message>
    <message id="qtn_call_empty_view">
        <source>No calls</source>
        <translation>No calls</translation>
    </message>
    <message id="qtn_call_number_added">
        <source>Number added to contact</source>
        <translation>Number added to contact</translation>
    </message>
    <message id="qtn_call_no_matching_calls">
        <source>No matching calls</source>
        <translation>No matching calls</translation>
    </message>
    <message id="qtn_call_failed">
        <source>Could not call %1</source>
        <translation>Could not call %1</translation>
    </message>
    <message id="qtn_call_history_unreadable">
        <source>The call history can&apos;t be read</source>
        <translation>The call history can&apos;t be read</translation>
    </message>
    <message id="qtn_call_incorrect_number">
        <source>Invalid number</source>
        <translation>Invalid number</translation>
    </message>
    <message id="qtn_call_link_not_number">
        <source>The link holds no phone number</source>
        <translation>The link holds no phone number</translation>
    </message>
    <message id="qtn_call_log_empty">
        <source>Clear call history</source>
        <translation>Clear call history</translation>
    </message>
    <message id="qtn_call_log_vm_dialled">
        <source>Dialled calls</source>
        <translation>Dialled calls</translation>
    </message>
    <message id="qtn_call_log_vm_grouping">
        <source>Show</source>
        <translation>Show</translation>
    </message>
    <message id="qtn_call_log_vm_missed">
        <source>Missed calls</source>
        <translation>Missed calls</translation>
    </message>
    <message id="qtn_call_log_vm_received">
        <source>Received calls</source>
        <translation>Received calls</translation>
    </message>
    <message id="qtn_call_merge_contact">
        <source>Add to existing contact</source>
        <translation>Add to existing contact</translation>
    </message>
    <message id="qtn_call_message_refused">
        <source>Messages cannot be sent to this address</source>
        <translation>Messages cannot be sent to this address</translation>
    </message>
    <message id="qtn_call_mobile">
        <source>Phone</source>
        <translation>Phone</translation>
    </message>
    <message id="qtn_call_multiple_contact_number" numerus="yes">
        <source>%n contacts</source>
        <translation>
            <numerusform>%n contact</numerusform>
            <numerusform>%n contacts</numerusform>
        </translation>
    </message>
    <message id="qtn_call_multiple_contacts_title">
        <source>%1 contacts</source>
        <translation>%1 contacts</translation>
    </message>
    <message id="qtn_call_not_allowed">
        <source>Private numbers cannot be called</source>
        <translation>Private numbers cannot be called</translation>
    </message>
    <message id="qtn_call_number_copied">
        <source>Number copied</source>
        <translation>Number copied</translation>
    </message>
    <message id="qtn_call_page_coming">
        <source>Not available yet</source>
        <translation>Not available yet</translation>
    </message>
    <message id="qtn_call_save_number">
        <source>Save number</source>
        <translation>Save number</translation>
    </message>
    <message id="qtn_call_select_type">
        <source>Call with</source>
        <translation>Call with</translation>
    </message>
    <message id="qtn_call_sort_by_contact">
        <source>All calls</source>
        <translation>All calls</translation>
    </message>
    <message id="qtn_call_tab_contacts">
        <source>Contacts</source>
        <translation>Contacts</translation>
    </message>
    <message id="qtn_call_tab_dialer">
        <source>Dialer</source>
        <translation>Dialer</translation>
    </message>
    <message id="qtn_call_tab_history">
        <source>Call history</source>
        <translation>Call history</translation>
    </message>
    <message id="qtn_call_type_emergency">
        <source>Emergency call</source>
        <translation>Emergency call</translation>
    </message>
    <message id="qtn_call_type_private">
        <source>Private number</source>
        <translation>Private number</translation>
    </message>
    <message id="qtn_call_type_voicemail">
        <source>Voicemail</source>
        <translation>Voicemail</translation>
    </message>
    <message id="qtn_call_video_call">
        <source>Video call&#x9c;Video</source>
        <translation>Video call&#x9c;Video</translation>
    </message>
    <message id="qtn_call_view_no_dialed_calls">
        <source>No dialled calls</source>
        <translation>No dialled calls</translation>
    </message>
    <message id="qtn_call_view_no_missed_calls">
        <source>No missed calls</source>
        <translation>No missed calls</translation>
    </message>
    <message id="qtn_call_view_no_received_calls">
        <source>No received calls</source>
        <translation>No received calls</translation>
    </message>
    <message id="qtn_call_contact_not_saved_eds">
        <source>%1 was not saved to the address book: %2</source>
        <translation>%1 was not saved to the address book: %2</translation>
    </message>
    <message id="qtn_call_voicemail_contact_not_saved">
        <source>Voicemail number saved, but the address book could not be updated</source>
        <translation>Voicemail number saved, but the address book could not be updated</translation>
    </message>
    <message id="qtn_call_voicemail_dialog_title">
        <source>Voicemail number</source>
        <translation>Voicemail number</translation>
    </message>
    <message id="qtn_call_voicemail_number_invalid">
        <source>This is not a valid phone number</source>
        <translation>This is not a valid phone number</translation>
    </message>
    <message id="qtn_call_voicemail_number_not_saved">
        <source>The number could not be saved</source>
        <translation>The number could not be saved</translation>
    </message>
    <message id="qtn_call_voicemail_number_prompt">
        <source>Enter the voicemail number</source>
        <translation>Enter the voicemail number</translation>
    </message>
    <message id="qtn_comm_cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="qtn_comm_popup_no">
        <source>No</source>
        <translation>No</translation>
    </message>
    <message id="qtn_comm_popup_ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="qtn_comm_popup_yes">
        <source>Yes</source>
        <translation>Yes</translation>
    </message>
    <message id="qtn_comm_command_done">
        <source>Done</source>
        <translation>Done</translation>
    </message>
    <message id="qtn_comm_delete">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="qtn_comm_older">
        <source>Older</source>
        <translation>Older</translation>
    </message>
    <message id="qtn_comm_save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="qtn_comm_search">
        <source>Search</source>
        <translation>Search</translation>
    </message>
    <message id="qtn_comm_share_disabled_account">
        <source>This account is switched off</source>
        <translation>This account is switched off</translation>
    </message>
    <message id="qtn_comm_time_last_week">
        <source>Last week</source>
        <translation>Last week</translation>
    </message>
    <message id="qtn_comm_time_today">
        <source>Today</source>
        <translation>Today</translation>
    </message>
    <message id="qtn_comm_time_yesterday">
        <source>Yesterday</source>
        <translation>Yesterday</translation>
    </message>
    <message id="qtn_comm_type_fax">
        <source>Fax</source>
        <translation>Fax</translation>
    </message>
    <message id="qtn_comm_type_home">
        <source>Home</source>
        <translation>Home</translation>
    </message>
    <message id="qtn_comm_type_mobile">
        <source>Mobile</source>
        <translation>Mobile</translation>
    </message>
    <message id="qtn_comm_type_work">
        <source>Work</source>
        <translation>Work</translation>
    </message>
    <message id="qtn_cont_type_other">
        <source>Other</source>
        <translation>Other</translation>
    </message>
    <message id="qtn_call_no_messaging">
        <source>No application for messages is installed</source>
        <translation>No application for messages is installed</translation>
    </message>
    <message id="qtn_comm_close">
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message id="qtn_cont_type_chat">
        <source>Chat</source>
        <translation>Chat</translation>
    </message>
    <message id="qtn_cont_new_contact">
        <source>New contact</source>
        <translation>New contact</translation>
    </message>
    <message id="qtn_cont_first_name">
        <source>First name</source>
        <translation>First name</translation>
    </message>
    <message id="qtn_cont_last_name">
        <source>Last name</source>
        <translation>Last name</translation>
    </message>
    <message id="qtn_cont_save">
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message id="qtn_cont_no_contacts">
        <source>No contacts</source>
        <translation>No contacts</translation>
    </message>
    <message id="qtn_cont_no_matching_contacts">
        <source>No matching contacts</source>
        <translation>No matching contacts</translation>
    </message>
    <message id="qtn_cont_not_saved">
        <source>The contact was not saved</source>
        <translation>The contact was not saved</translation>
    </message>
    <message id="qtn_cont_choose_contact">
        <source>Choose contact</source>
        <translation>Choose contact</translation>
    </message>
    <message id="qtn_call_screen_title">
        <source>Call</source>
        <translation>Call</translation>
    </message>
    <message id="qtn_call_screen_incoming">
        <source>Incoming call</source>
        <translation>Incoming call</translation>
    </message>
    <message id="qtn_call_screen_calling">
        <source>Calling…</source>
        <translation>Calling…</translation>
    </message>
    <message id="qtn_call_screen_ringing">
        <source>Ringing…</source>
        <translation>Ringing…</translation>
    </message>
    <message id="qtn_call_screen_on_hold">
        <source>On hold</source>
        <translation>On hold</translation>
    </message>
    <message id="qtn_call_screen_held_call">
        <source>On hold: %1</source>
        <translation>On hold: %1</translation>
    </message>
    <message id="qtn_call_screen_answer">
        <source>Answer</source>
        <translation>Answer</translation>
    </message>
    <message id="qtn_call_screen_decline">
        <source>Decline</source>
        <translation>Decline</translation>
    </message>
    <message id="qtn_call_screen_mute">
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
    <message id="qtn_call_screen_keypad">
        <source>Keypad</source>
        <translation>Keypad</translation>
    </message>
    <message id="qtn_call_screen_speaker">
        <source>Speaker</source>
        <translation>Speaker</translation>
    </message>
    <message id="qtn_call_screen_end_and_answer">
        <source>End and answer</source>
        <translation>End and answer</translation>
    </message>
    <message id="qtn_call_screen_hold_and_answer">
        <source>Hold and answer</source>
        <translation>Hold and answer</translation>
    </message>
    <message id="qtn_call_screen_busy">
        <source>Busy</source>
        <translation>Busy</translation>
    </message>
    <message id="qtn_call_screen_no_answer">
        <source>No answer</source>
        <translation>No answer</translation>
    </message>
    <message id="qtn_call_screen_failed">
        <source>Call failed</source>
        <translation>Call failed</translation>
    </message>
    <message id="qtn_call_missed_notification" numerus="yes">
        <source>%n missed calls</source>
        <translation>
            <numerusform>%n missed call</numerusform>
            <numerusform>%n missed calls</numerusform>
        </translation>
    </message>
    <message id="qtn_call_missed_call_back">
        <source>Call back</source>
        <translation>Call back</translation>
    </message>
</context>
</TS>
