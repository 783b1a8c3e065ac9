<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name></name>
    <message id="qtn_acc_provider_velto_sip">
        <source>Velto SIP</source>
        <translation>Velto SIP</translation>
    </message>
    <message id="qtn_acc_provider_google">
        <source>Google</source>
        <translation>Google</translation>
    </message>
    <message id="qtn_acc_service_internet_call">
        <source>Internet call</source>
        <translation>Internetanruf</translation>
    </message>
    <message id="qtn_acc_service_sip_chat">
        <source>SIP chat</source>
        <translation>SIP-Chat</translation>
    </message>
    <message id="qtn_acc_service_google_talk">
        <source>Google Talk</source>
        <translation>Google Talk</translation>
    </message>
</context>
</TS>
