<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ar">
<context>
    <name></name>
    <message id="qtn_call_add_contact">
        <source>Save as new contact</source>
        <translation>حفظ كجهة اتصال جديدة</translation>
    </message>
    <message id="qtn_call_add_contact_question">
        <source>Save this number as a new contact, or add it to an existing one?</source>
        <translation>هل تريد حفظ هذا الرقم كجهة اتصال جديدة أو إضافته إلى جهة اتصال موجودة؟</translation>
    </message>
    <message id="qtn_call_conf_clear_history">
        <source>Delete the whole call history?</source>
        <translation>هل تريد حذف سجل المكالمات بالكامل؟</translation>
    </message>
    <message id="qtn_call_contact_picker_dialog_title">
        <source>Choose a number to call</source>
        <translation>اختر رقمًا للاتصال</translation>
    </message>
    <message id="qtn_call_contact_picker_title">
        <source>Choose a contact</source>
        <translation>اختر جهة اتصال</translation>
    </message>
    <message id="qtn_call_copy_number">
        <source>Copy number</source>
        <translation>نسخ الرقم</translation>
    </message>
    <message id="qtn_call_dialer_nothing_to_paste">
        <source>Nothing to paste: the clipboard holds no number</source>
        <translation>لا شيء للصق: الحافظة لا تحتوي على رقم</translation>
    </message>
    <message id="qtn_call_duration">
        <source>Duration %1</source>
        <translation>المدة %1</translation>
    </message>
    <message id="qtn_call_emergency_failed">
        <source>Emergency call to %1 failed</source>
        <translation>فشلت مكالمة الطوارئ إلى %1</translation>
    </message>
    <message id="qtn_call_account_missing">
        <source>Account not set up</source>
        <translation>الحساب غير مُعدّ</translation>
    </message>
    <message id="qtn_call_account_missing_info">
        <source>This account is not set up on this phone</source>
        <translation>هذا الحساب غير مُعدّ على هذا الهاتف</translation>
    </message>
    <message id="qtn_call_address_added">
        <source>Address added to contact</source>
        <translation>تمت إضافة العنوان إلى جهة الاتصال</translation>
    </message>
    <message id="qtn_call_empty_view">
        <source>No calls</source>
        <translation>لا توجد مكالمات</translation>
    </message>
    <message id="qtn_call_number_added">
        <source>Number added to contact</source>
        <translation>تمت إضافة الرقم إلى جهة الاتصال</translation>
    </message>
    <message id="qtn_call_no_matching_calls">
        <source>No matching calls</source>
        <translation>لا توجد مكالمات مطابقة</translation>
    </message>
    <message id="qtn_call_failed">
        <source>Could not call %1</source>
        <translation>تعذّر الاتصال بـ %1</translation>
    </message>
    <message id="qtn_call_history_unreadable">
        <source>The call history can&apos;t be read</source>
        <translation>لا يمكن قراءة سجل المكالمات</translation>
    </message>
    <message id="qtn_call_incorrect_number">
        <source>Invalid number</source>
        <translation>رقم غير صالح</translation>
    </message>
    <message id="qtn_call_link_not_number">
        <source>The link holds no phone number</source>
        <translation>لا يحتوي الرابط على رقم هاتف</translation>
    </message>
    <message id="qtn_call_log_empty">
        <source>Clear call history</source>
        <translation>مسح سجل المكالمات</translation>
    </message>
    <message id="qtn_call_log_vm_dialled">
        <source>Dialled calls</source>
        <translation>المكالمات الصادرة</translation>
    </message>
    <message id="qtn_call_log_vm_grouping">
        <source>Show</source>
        <translation>عرض</translation>
    </message>
    <message id="qtn_call_log_vm_missed">
        <source>Missed calls</source>
        <translation>المكالمات الفائتة</translation>
    </message>
    <message id="qtn_call_log_vm_received">
        <source>Received calls</source>
        <translation>المكالمات الواردة</translation>
    </message>
    <message id="qtn_call_merge_contact">
        <source>Add to existing contact</source>
        <translation>إضافة إلى جهة اتصال موجودة</translation>
    </message>
    <message id="qtn_call_message_refused">
        <source>Messages cannot be sent to this address</source>
        <translation>لا يمكن إرسال رسائل إلى هذا العنوان</translation>
    </message>
    <message id="qtn_call_mobile">
        <source>Phone</source>
        <translation>الهاتف</translation>
    </message>
    <message id="qtn_call_multiple_contact_number" numerus="yes">
        <source>%n contacts</source>
        <translation>
            <numerusform>لا جهات اتصال</numerusform>
            <numerusform>جهة اتصال واحدة</numerusform>
            <numerusform>جهتا اتصال</numerusform>
            <numerusform>%n جهات اتصال</numerusform>
            <numerusform>%n جهة اتصال</numerusform>
            <numerusform>%n جهة اتصال</numerusform>
        </translation>
    </message>
    <message id="qtn_call_multiple_contacts_title">
        <source>%1 contacts</source>
        <translation>%1 جهات اتصال</translation>
    </message>
    <message id="qtn_call_not_allowed">
        <source>Private numbers cannot be called</source>
        <translation>لا يمكن الاتصال برقم خاص</translation>
    </message>
    <message id="qtn_call_number_copied">
        <source>Number copied</source>
        <translation>تم نسخ الرقم</translation>
    </message>
    <message id="qtn_call_page_coming">
        <source>Not available yet</source>
        <translation>غير متاح بعد</translation>
    </message>
    <message id="qtn_call_save_number">
        <source>Save number</source>
        <translation>حفظ الرقم</translation>
    </message>
    <message id="qtn_call_select_type">
        <source>Call with</source>
        <translation>الاتصال عبر</translation>
    </message>
    <message id="qtn_call_sort_by_contact">
        <source>All calls</source>
        <translation>كل المكالمات</translation>
    </message>
    <message id="qtn_call_tab_contacts">
        <source>Contacts</source>
        <translation>جهات الاتصال</translation>
    </message>
    <message id="qtn_call_tab_dialer">
        <source>Dialer</source>
        <translation>لوحة الاتصال</translation>
    </message>
    <message id="qtn_call_tab_history">
        <source>Call history</source>
        <translation>سجل المكالمات</translation>
    </message>
    <message id="qtn_call_type_emergency">
        <source>Emergency call</source>
        <translation>مكالمة طوارئ</translation>
    </message>
    <message id="qtn_call_type_private">
        <source>Private number</source>
        <translation>رقم خاص</translation>
    </message>
    <message id="qtn_call_type_voicemail">
        <source>Voicemail</source>
        <translation>البريد الصوتي</translation>
    </message>
    <message id="qtn_call_video_call">
        <source>Video call&#x9c;Video</source>
        <translation>مكالمة فيديو&#x9c;فيديو</translation>
    </message>
    <message id="qtn_call_view_no_dialed_calls">
        <source>No dialled calls</source>
        <translation>لا توجد مكالمات صادرة</translation>
    </message>
    <message id="qtn_call_view_no_missed_calls">
        <source>No missed calls</source>
        <translation>لا توجد مكالمات فائتة</translation>
    </message>
    <message id="qtn_call_view_no_received_calls">
        <source>No received calls</source>
        <translation>لا توجد مكالمات واردة</translation>
    </message>
    <message id="qtn_call_contact_not_saved_eds">
        <source>%1 was not saved to the address book: %2</source>
        <translation>لم يُحفظ %1 في دفتر العناوين: %2</translation>
    </message>
    <message id="qtn_call_voicemail_contact_not_saved">
        <source>Voicemail number saved, but the address book could not be updated</source>
        <translation>تم حفظ رقم البريد الصوتي، لكن تعذّر تحديث دفتر العناوين</translation>
    </message>
    <message id="qtn_call_voicemail_dialog_title">
        <source>Voicemail number</source>
        <translation>رقم البريد الصوتي</translation>
    </message>
    <message id="qtn_call_voicemail_number_invalid">
        <source>This is not a valid phone number</source>
        <translation>هذا ليس رقم هاتف صالحًا</translation>
    </message>
    <message id="qtn_call_voicemail_number_not_saved">
        <source>The number could not be saved</source>
        <translation>تعذّر حفظ الرقم</translation>
    </message>
    <message id="qtn_call_voicemail_number_prompt">
        <source>Enter the voicemail number</source>
        <translation>أدخل رقم البريد الصوتي</translation>
    </message>
    <message id="qtn_comm_cancel">
        <source>Cancel</source>
        <translation>إلغاء</translation>
    </message>
    <message id="qtn_comm_popup_no">
        <source>No</source>
        <translation>لا</translation>
    </message>
    <message id="qtn_comm_popup_ok">
        <source>OK</source>
        <translation>موافق</translation>
    </message>
    <message id="qtn_comm_popup_yes">
        <source>Yes</source>
        <translation>نعم</translation>
    </message>
    <message id="qtn_comm_command_done">
        <source>Done</source>
        <translation>تم</translation>
    </message>
    <message id="qtn_comm_delete">
        <source>Delete</source>
        <translation>حذف</translation>
    </message>
    <message id="qtn_comm_older">
        <source>Older</source>
        <translation>أقدم</translation>
    </message>
    <message id="qtn_comm_save">
        <source>Save</source>
        <translation>حفظ</translation>
    </message>
    <message id="qtn_comm_search">
        <source>Search</source>
        <translation>بحث</translation>
    </message>
    <message id="qtn_comm_share_disabled_account">
        <source>This account is switched off</source>
        <translation>هذا الحساب معطّل</translation>
    </message>
    <message id="qtn_comm_time_last_week">
        <source>Last week</source>
        <translation>الأسبوع الماضي</translation>
    </message>
    <message id="qtn_comm_time_today">
        <source>Today</source>
        <translation>اليوم</translation>
    </message>
    <message id="qtn_comm_time_yesterday">
        <source>Yesterday</source>
        <translation>أمس</translation>
    </message>
    <message id="qtn_comm_type_fax">
        <source>Fax</source>
        <translation>فاكس</translation>
    </message>
    <message id="qtn_comm_type_home">
        <source>Home</source>
        <translation>المنزل</translation>
    </message>
    <message id="qtn_comm_type_mobile">
        <source>Mobile</source>
        <translation>الجوال</translation>
    </message>
    <message id="qtn_comm_type_work">
        <source>Work</source>
        <translation>العمل</translation>
    </message>
    <message id="qtn_cont_type_other">
        <source>Other</source>
        <translation>أخرى</translation>
    </message>
    <message id="qtn_call_no_messaging">
        <source>No application for messages is installed</source>
        <translation>لا يوجد تطبيق مثبت للرسائل</translation>
    </message>
    <message id="qtn_comm_close">
        <source>Close</source>
        <translation>إغلاق</translation>
    </message>
    <message id="qtn_cont_type_chat">
        <source>Chat</source>
        <translation>دردشة</translation>
    </message>
    <message id="qtn_cont_new_contact">
        <source>New contact</source>
        <translation>جهة اتصال جديدة</translation>
    </message>
    <message id="qtn_cont_first_name">
        <source>First name</source>
        <translation>الاسم الأول</translation>
    </message>
    <message id="qtn_cont_last_name">
        <source>Last name</source>
        <translation>اسم العائلة</translation>
    </message>
    <message id="qtn_cont_save">
        <source>Save</source>
        <translation>حفظ</translation>
    </message>
    <message id="qtn_cont_no_contacts">
        <source>No contacts</source>
        <translation>لا توجد جهات اتصال</translation>
    </message>
    <message id="qtn_cont_no_matching_contacts">
        <source>No matching contacts</source>
        <translation>لا توجد جهات اتصال مطابقة</translation>
    </message>
    <message id="qtn_cont_not_saved">
        <source>The contact was not saved</source>
        <translation>لم يتم حفظ جهة الاتصال</translation>
    </message>
    <message id="qtn_cont_choose_contact">
        <source>Choose contact</source>
        <translation>اختر جهة اتصال</translation>
    </message>
    <message id="qtn_call_screen_title">
        <source>Call</source>
        <translation>مكالمة</translation>
    </message>
    <message id="qtn_call_screen_incoming">
        <source>Incoming call</source>
        <translation>مكالمة واردة</translation>
    </message>
    <message id="qtn_call_screen_calling">
        <source>Calling…</source>
        <translation>جارٍ الاتصال…</translation>
    </message>
    <message id="qtn_call_screen_ringing">
        <source>Ringing…</source>
        <translation>يرن…</translation>
    </message>
    <message id="qtn_call_screen_on_hold">
        <source>On hold</source>
        <translation>قيد الانتظار</translation>
    </message>
    <message id="qtn_call_screen_held_call">
        <source>On hold: %1</source>
        <translation>قيد الانتظار: %1</translation>
    </message>
    <message id="qtn_call_screen_answer">
        <source>Answer</source>
        <translation>رد</translation>
    </message>
    <message id="qtn_call_screen_decline">
        <source>Decline</source>
        <translation>رفض</translation>
    </message>
    <message id="qtn_call_screen_mute">
        <source>Mute</source>
        <translation>كتم</translation>
    </message>
    <message id="qtn_call_screen_keypad">
        <source>Keypad</source>
        <translation>لوحة المفاتيح</translation>
    </message>
    <message id="qtn_call_screen_speaker">
        <source>Speaker</source>
        <translation>مكبر الصوت</translation>
    </message>
    <message id="qtn_call_screen_end_and_answer">
        <source>End and answer</source>
        <translation>إنهاء والرد</translation>
    </message>
    <message id="qtn_call_screen_hold_and_answer">
        <source>Hold and answer</source>
        <translation>تعليق والرد</translation>
    </message>
    <message id="qtn_call_screen_busy">
        <source>Busy</source>
        <translation>مشغول</translation>
    </message>
    <message id="qtn_call_screen_no_answer">
        <source>No answer</source>
        <translation>لا يوجد رد</translation>
    </message>
    <message id="qtn_call_screen_failed">
        <source>Call failed</source>
        <translation>فشلت المكالمة</translation>
    </message>
    <message id="qtn_call_missed_notification" numerus="yes">
        <source>%n missed calls</source>
        <translation>
            <numerusform>لا مكالمات فائتة</numerusform>
            <numerusform>مكالمة فائتة واحدة</numerusform>
            <numerusform>مكالمتان فائتتان</numerusform>
            <numerusform>%n مكالمات فائتة</numerusform>
            <numerusform>%n مكالمة فائتة</numerusform>
            <numerusform>%n مكالمة فائتة</numerusform>
        </translation>
    </message>
    <message id="qtn_call_missed_call_back">
        <source>Call back</source>
        <translation>معاودة الاتصال</translation>
    </message>
</context>
</TS>
