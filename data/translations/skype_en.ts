<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name></name>
    <message id="qtn_skyp_not_international_format">
        <source>Enter the number in international form, starting with +</source>
        <translation>Enter the number in international form, starting with +</translation>
    </message>
</context>
</TS>
