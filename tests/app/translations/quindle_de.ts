<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A few texts in German, enough to see a translation reach each kind of
     text: a form, a message with the file name in it, the command line. -->
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>TVantorel</name>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Datei</translation>
    </message>
    <message>
        <source>Cannot find list file %1</source>
        <translation>Die Listendatei %1 ist nicht zu finden</translation>
    </message>
    <message>
        <source>Cannot open file %1</source>
        <translation>Die Datei %1 kann nicht geöffnet werden</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Show the version and end.</source>
        <translation>Zeigt die Version und endet.</translation>
    </message>
</context>
</TS>
