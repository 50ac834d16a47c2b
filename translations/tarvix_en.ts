<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_GB" sourcelanguage="ru_RU">
<context>
    <name>TForm1</name>
    <message>
        <source>Regim</source>
        <translation>Regime</translation>
    </message>
    <message>
        <source>Resistance  meas.</source>
        <translation>Resistance meas.</translation>
    </message>
    <message>
        <source>Comliance [A]</source>
        <translation>Compliance [A]</translation>
    </message>
    <message>
        <source>Real voltage mesurments</source>
        <translation>Real voltage measurements</translation>
    </message>
    <message>
        <source>Sweep numer (1..150)</source>
        <translation>Series number (1..150)</translation>
    </message>
    <message>
        <source>Pool-Frenkel</source>
        <translation>Poole-Frenkel</translation>
    </message>
    <message>
        <source>TOPZ</source>
        <translation>SCLC</translation>
    </message>
    <message>
        <source>Shotki</source>
        <translation>Schottky</translation>
    </message>
    <message>
        <source>initial grafik</source>
        <translation>initial graph</translation>
    </message>
    <message>
        <source>ZeraduDOZ</source>
        <translation>Release hold</translation>
    </message>
    <message>
        <source>VAX</source>
        <translation>I-V</translation>
    </message>
    <message>
        <source>ccurrent const</source>
        <translation>constant current</translation>
    </message>
    <message>
        <source>Двухпроводное</source>
        <translation>Two-wire</translation>
    </message>
    <message>
        <source>Number of ter.cop</source>
        <translation>TC channel</translation>
    </message>
    <message>
        <source>7600 Measurment</source>
        <translation>7600 measurement</translation>
    </message>
    <message>
        <source>Очень медленно</source>
        <translation>Very slow</translation>
    </message>
    <message>
        <source>Медленно (MED)</source>
        <translation>Slow (MED)</translation>
    </message>
    <message>
        <source>Быстро</source>
        <translation>Fast</translation>
    </message>
    <message>
        <source>Сохранить каждую:</source>
        <translation>Save every:</translation>
    </message>
    <message>
        <source>из записанных</source>
        <translation>of the recorded</translation>
    </message>
    <message>
        <source>Среднее</source>
        <translation>Average</translation>
    </message>
    <message>
        <source>Усреднение по точкам</source>
        <translation>Readings per point</translation>
    </message>
    <message>
        <source>0.1 mkA</source>
        <translation>0.1 µA</translation>
    </message>
    <message>
        <source>1 mkA</source>
        <translation>1 µA</translation>
    </message>
    <message>
        <source>3 mkA</source>
        <translation>3 µA</translation>
    </message>
    <message>
        <source>10 mkA</source>
        <translation>10 µA</translation>
    </message>
    <message>
        <source>30 mkA</source>
        <translation>30 µA</translation>
    </message>
    <message>
        <source>100 mkA</source>
        <translation>100 µA</translation>
    </message>
    <message>
        <source>sec for sample</source>
        <translation>s per sample</translation>
    </message>
    <message>
        <source>4 probe method versus temperature</source>
        <translation>Four-probe resistance versus temperature</translation>
    </message>
    <message>
        <source>Termo</source>
        <translation>Thermo</translation>
    </message>
    <message>
        <source>De noise</source>
        <translation>Denoise</translation>
    </message>
    <message>
        <source>Step F -Log</source>
        <translation>Log frequency steps</translation>
    </message>
    <message>
        <source>X Axis -Log X</source>
        <translation>Log X axis</translation>
    </message>
    <message>
        <source>Primary from Second.</source>
        <translation>Primary from secondary</translation>
    </message>
    <message>
        <source>(б) Phase Angle </source>
        <translation>(θ) Phase Angle </translation>
    </message>
    <message>
        <source>No rezalt</source>
        <translation>No result</translation>
    </message>
    <message>
        <source>в файле нет значений с указанными номерами</source>
        <translation>The file holds no values with the given numbers</translation>
    </message>
    <message>
        <source>нет таких номеров: Sweep (1..8), Sweep numer (1..150)</source>
        <translation>No such numbers: Sweep (1..8), Series number (1..150)</translation>
    </message>
    <message>
        <source>сначала выберите сегмент и серию: спрямление или initial grafik</source>
        <translation>First choose a segment and a series: a straightening or the initial graph</translation>
    </message>
    <message>
        <source>Результаты Keithley 2410</source>
        <translation>Keithley 2410 results</translation>
    </message>
    <message>
        <source>Временная зависимость Keithley 2410</source>
        <translation>Keithley 2410 time dependence</translation>
    </message>
</context>
</TS>
