<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>About</name>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>The page %1 was not found in the working directory or the program&apos;s data folder, or it is not a regular file of at most 4 MiB.</source>
        <translation>Страница %1 не найдена ни в рабочей папке, ни в папке данных программы, или это не обычный файл размером не более 4 МиБ.</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Версия %1</translation>
    </message>
</context>
<context>
    <name>Compare</name>
    <message>
        <source>Compare controls</source>
        <translation>Сравнение контролей</translation>
    </message>
    <message>
        <source>&amp;Group in the chart:</source>
        <translation>&amp;Группа на графике:</translation>
    </message>
    <message>
        <source>&amp;Save the chart…</source>
        <translation>&amp;Сохранить график…</translation>
    </message>
    <message>
        <source>This control: %1</source>
        <translation>Этот контроль: %1</translation>
    </message>
    <message>
        <source>Previous control: %1</source>
        <translation>Предыдущий контроль: %1</translation>
    </message>
    <message>
        <source>No earlier control of this object is kept.</source>
        <translation>Более раннего контроля этого объекта нет.</translation>
    </message>
    <message>
        <source>Group</source>
        <translation>Группа</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>Показания</translation>
    </message>
    <message>
        <source>Minimum</source>
        <translation>Минимум</translation>
    </message>
    <message>
        <source>Mean</source>
        <translation>Среднее</translation>
    </message>
    <message>
        <source>Maximum</source>
        <translation>Максимум</translation>
    </message>
    <message>
        <source>Previous
readings</source>
        <translation>Показания
ранее</translation>
    </message>
    <message>
        <source>Previous
minimum</source>
        <translation>Минимум
ранее</translation>
    </message>
    <message>
        <source>Previous
mean</source>
        <translation>Среднее
ранее</translation>
    </message>
    <message>
        <source>Previous
maximum</source>
        <translation>Максимум
ранее</translation>
    </message>
    <message>
        <source>Change of
minimum</source>
        <translation>Изменение
минимума</translation>
    </message>
    <message>
        <source>Change of
mean</source>
        <translation>Изменение
среднего</translation>
    </message>
    <message>
        <source>Note</source>
        <translation>Примечание</translation>
    </message>
    <message>
        <source>only in this control</source>
        <translation>только в этом контроле</translation>
    </message>
    <message>
        <source>only in the previous control</source>
        <translation>только в предыдущем контроле</translation>
    </message>
    <message>
        <source>%1 of %2: minimum and mean in every control</source>
        <translation>%1 объекта %2: минимум и среднее по всем контролям</translation>
    </message>
    <message>
        <source>PNG image (*.png)</source>
        <translation>Изображение PNG (*.png)</translation>
    </message>
    <message>
        <source>SVG image (*.svg)</source>
        <translation>Изображение SVG (*.svg)</translation>
    </message>
    <message>
        <source>Save the chart</source>
        <translation>Сохранение графика</translation>
    </message>
    <message>
        <source>The chart could not be saved to %1.</source>
        <translation>Не удалось сохранить график в %1.</translation>
    </message>
</context>
<context>
    <name>Help</name>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>The page %1 was not found in the working directory or the program&apos;s data folder, or it is not a regular file of at most 4 MiB.</source>
        <translation>Страница %1 не найдена ни в рабочей папке, ни в папке данных программы, или это не обычный файл размером не более 4 МиБ.</translation>
    </message>
</context>
<context>
    <name>History</name>
    <message>
        <source>History</source>
        <translation>История</translation>
    </message>
    <message>
        <source>&amp;Find:</source>
        <translation>&amp;Найти:</translation>
    </message>
    <message>
        <source>Object, inspector, device or serial number</source>
        <translation>Объект, контролёр, прибор или заводской номер</translation>
    </message>
    <message>
        <source>F&amp;rom:</source>
        <translation>&amp;С:</translation>
    </message>
    <message>
        <source>any day</source>
        <translation>любого дня</translation>
    </message>
    <message>
        <source>&amp;To:</source>
        <translation>&amp;По:</translation>
    </message>
    <message>
        <source>Read the chosen control into the main window</source>
        <translation>Прочитать выбранный контроль в главное окно</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Открыть</translation>
    </message>
    <message>
        <source>Compare the chosen control with the previous control of its object, or two chosen controls with each other</source>
        <translation>Сравнить выбранный контроль с предыдущим контролем того же объекта или два выбранных контроля между собой</translation>
    </message>
    <message>
        <source>&amp;Compare</source>
        <translation>С&amp;равнить</translation>
    </message>
    <message>
        <source>It has no date of control.</source>
        <translation>В нём нет даты контроля.</translation>
    </message>
    <message>
        <source>Controls: %1</source>
        <translation>Контролей: %1</translation>
    </message>
</context>
<context>
    <name>HistoryModel</name>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Object</source>
        <translation>Объект</translation>
    </message>
    <message>
        <source>Inspector</source>
        <translation>Контролёр</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Прибор</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Заводской номер</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>Показания</translation>
    </message>
    <message>
        <source>Groups</source>
        <translation>Группы</translation>
    </message>
    <message>
        <source>Cut off</source>
        <translation>Прерван</translation>
    </message>
    <message>
        <source>File</source>
        <translation>Файл</translation>
    </message>
    <message>
        <source>Size, bytes</source>
        <translation>Размер, байт</translation>
    </message>
    <message>
        <source>Unreadable: %1</source>
        <translation>Не читается: %1</translation>
    </message>
    <message>
        <source>cut off</source>
        <translation>прерван</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>Measurements</source>
        <translation>Измерения</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Прибор</translation>
    </message>
    <message>
        <source>Object&apos;s name</source>
        <translation>Название объекта</translation>
    </message>
    <message>
        <source>Inspector&apos;s name</source>
        <translation>Имя контролёра</translation>
    </message>
    <message>
        <source>Read</source>
        <translation>Открыть</translation>
    </message>
    <message>
        <source>Read from file</source>
        <translation>Открыть файл</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Сохранить</translation>
    </message>
    <message>
        <source>Save to file</source>
        <translation>Сохранить в файл</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Печать</translation>
    </message>
    <message>
        <source>Connection</source>
        <translation>Соединение</translation>
    </message>
    <message>
        <source>Connect the device</source>
        <translation>Подключение прибора</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Выход</translation>
    </message>
    <message>
        <source>Exit from program</source>
        <translation>Выход из программы</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Справка</translation>
    </message>
    <message>
        <source>About</source>
        <translation>О программе</translation>
    </message>
    <message>
        <source>To use serial devices, ask your administrator to add your user to the &quot;dialout&quot; group, then log out and in again.</source>
        <translation>Чтобы работать с последовательными портами, попросите администратора добавить вашего пользователя в группу «dialout», затем выйдите из системы и войдите снова.</translation>
    </message>
    <message>
        <source>Failed to open port</source>
        <translation>Не удалось открыть порт</translation>
    </message>
    <message>
        <source>The serial port used by another application</source>
        <translation>Последовательный порт занят другим приложением</translation>
    </message>
    <message>
        <source>DEVICE</source>
        <translation>DEVICE</translation>
    </message>
    <message>
        <source>SN</source>
        <translation>SN</translation>
    </message>
    <message>
        <source>GROUP</source>
        <translation>GROUP</translation>
    </message>
    <message>
        <source>#</source>
        <translation>#</translation>
    </message>
    <message>
        <source>END</source>
        <translation>END</translation>
    </message>
    <message>
        <source>THE OBJECT OF CONTROL </source>
        <translation>ОБЪЕКТ КОНТРОЛЯ </translation>
    </message>
    <message>
        <source>INSPECTOR </source>
        <translation>ИНСПЕКТОР </translation>
    </message>
    <message>
        <source>Select a file to save the changes</source>
        <translation>Выберите файл для сохранения изменений</translation>
    </message>
    <message>
        <source>Save the changes</source>
        <translation>Сохранение изменений</translation>
    </message>
    <message>
        <source>The file %1 already exists.
Do you want to replace it?</source>
        <translation>Файл %1 уже существует.
Заменить его?</translation>
    </message>
    <message>
        <source>The changes could not be saved to %1:
%2</source>
        <translation>Не удалось сохранить изменения в файл %1:
%2</translation>
    </message>
    <message>
        <source>Select a file to read the changes</source>
        <translation>Выберите файл для чтения изменений</translation>
    </message>
    <message>
        <source>Files of changes (*.csv)</source>
        <translation>Файлы изменений (*.csv)</translation>
    </message>
    <message>
        <source>Read the changes</source>
        <translation>Чтение изменений</translation>
    </message>
    <message>
        <source>The changes could not be read from %1:
%2</source>
        <translation>Не удалось прочитать изменения из файла %1:
%2</translation>
    </message>
    <message>
        <source>Do you want to print a table of changes?</source>
        <translation>Напечатать таблицу изменений?</translation>
    </message>
    <message>
        <source>There is no printer to print on. The protocol was not printed.</source>
        <translation>Нет принтера для печати. Протокол не напечатан.</translation>
    </message>
    <message>
        <source>The printer %1 reports an error. The protocol was not printed.</source>
        <translation>Принтер %1 сообщает об ошибке. Протокол не напечатан.</translation>
    </message>
    <message>
        <source>The protocol could not be printed on %1.</source>
        <translation>Не удалось напечатать протокол на принтере %1.</translation>
    </message>
    <message>
        <source>&lt;table border=&quot;1&quot;&gt;</source>
        <translation>&lt;table border=&quot;1&quot;&gt;</translation>
    </message>
    <message>
        <source>&lt;tr&gt;&lt;th&gt;</source>
        <translation>&lt;tr&gt;&lt;th&gt;</translation>
    </message>
    <message>
        <source>&lt;th&gt;</source>
        <translation>&lt;th&gt;</translation>
    </message>
    <message>
        <source>&lt;tr&gt;</source>
        <translation>&lt;tr&gt;</translation>
    </message>
    <message>
        <source>&lt;td&gt;</source>
        <translation>&lt;td&gt;</translation>
    </message>
    <message>
        <source>&lt;/table&gt;</source>
        <translation>&lt;/table&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;/p&gt;</source>
        <translation>&lt;p&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;h1&gt;D I R I R E Z E&lt;/h1&gt;</source>
        <translation>&lt;h1&gt;D I R I R E Z E&lt;/h1&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;PROTOCOL OF CONTROL&lt;/p&gt;</source>
        <translation>&lt;p&gt;ПРОТОКОЛ КОНТРОЛЯ&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;&lt;b&gt;</source>
        <translation>&lt;p&gt;&lt;b&gt;</translation>
    </message>
    <message>
        <source>&lt;/b&gt;&lt;/p&gt;</source>
        <translation>&lt;/b&gt;&lt;/p&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;THE OBJECT OF CONTROL &lt;b&gt;</source>
        <translation>&lt;p&gt;ОБЪЕКТ КОНТРОЛЯ &lt;b&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;DATE &lt;b&gt;</source>
        <translation>&lt;p&gt;ДАТА &lt;b&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;INSPECTOR &lt;b&gt;</source>
        <translation>&lt;p&gt;ИНСПЕКТОР &lt;b&gt;</translation>
    </message>
    <message>
        <source>&lt;p&gt;MEASUREMENTS&lt;/p&gt;</source>
        <translation>&lt;p&gt;ИЗМЕРЕНИЯ&lt;/p&gt;</translation>
    </message>
    <message>
        <source>The transfer from %1 was cut off; readings received: %2. The readings shown are unchanged.</source>
        <translation>Передача от %1 прервана; принято показаний: %2. Показанные значения не изменились.</translation>
    </message>
    <message>
        <source>Receiving the transfer from %1. Readings so far: %2.</source>
        <translation>Идёт передача от %1. Принято показаний: %2.</translation>
    </message>
    <message>
        <source>Readings without a serial-number line before them, left out: %1.</source>
        <translation>Показания без строки заводского номера перед ними пропущены: %1.</translation>
    </message>
    <message>
        <source>Date of control</source>
        <translation>Дата контроля</translation>
    </message>
    <message>
        <source>&amp;Object</source>
        <translation>&amp;Объект</translation>
    </message>
    <message>
        <source>Object of control</source>
        <translation>Объект контроля</translation>
    </message>
    <message>
        <source>&amp;Inspector</source>
        <translation>&amp;Контролёр</translation>
    </message>
    <message>
        <source>Readings</source>
        <translation>Показания</translation>
    </message>
    <message>
        <source>Connection indicator</source>
        <translation>Индикатор соединения</translation>
    </message>
    <message>
        <source>About tolvaren</source>
        <translation>О программе tolvaren</translation>
    </message>
    <message>
        <source>Connected: %1</source>
        <translation>Подключено: %1</translation>
    </message>
    <message>
        <source>No instrument connected</source>
        <translation>Прибор не подключён</translation>
    </message>
    <message>
        <source>The transfer could not be kept in %1: %2</source>
        <translation>Не удалось сохранить передачу в %1: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n reading</source>
        <translation>
            <numerusform>%n показание</numerusform>
            <numerusform>%n показания</numerusform>
            <numerusform>%n показаний</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n readings</source>
        <translation>
            <numerusform>%n показание</numerusform>
            <numerusform>%n показания</numerusform>
            <numerusform>%n показаний</numerusform>
        </translation>
    </message>
    <message>
        <source>min %1</source>
        <translation>мин. %1</translation>
    </message>
    <message>
        <source>max %1</source>
        <translation>макс. %1</translation>
    </message>
    <message>
        <source>mean %1</source>
        <translation>среднее %1</translation>
    </message>
    <message>
        <source>The folder could not be created.</source>
        <translation>Не удалось создать папку.</translation>
    </message>
    <message>
        <source>Spreadsheet (*.xlsx)</source>
        <translation>Электронная таблица (*.xlsx)</translation>
    </message>
    <message>
        <source>Protocol of control (*.pdf)</source>
        <translation>Протокол контроля (*.pdf)</translation>
    </message>
    <message>
        <source>Protocol of control</source>
        <translation>Протокол контроля</translation>
    </message>
    <message>
        <source>Laying out the protocol…</source>
        <translation>Вёрстка протокола…</translation>
    </message>
    <message>
        <source>Page %1 of %2…</source>
        <translation>Страница %1 из %2…</translation>
    </message>
    <message>
        <source>Page %1 of %2</source>
        <translation>Страница %1 из %2</translation>
    </message>
    <message>
        <source>A sheet holds at most %1 groups; there are %2.</source>
        <translation>Лист вмещает не более %1 групп, а их %2.</translation>
    </message>
    <message>
        <source>A sheet holds at most %1 readings in a group; there are %2.</source>
        <translation>Лист вмещает не более %1 показаний в группе, а их %2.</translation>
    </message>
    <message>
        <source>The spreadsheet could not be started.</source>
        <translation>Не удалось начать электронную таблицу.</translation>
    </message>
    <message>
        <source>Inspector</source>
        <translation>Контролёр</translation>
    </message>
    <message>
        <source>Date</source>
        <translation>Дата</translation>
    </message>
    <message>
        <source>Serial number</source>
        <translation>Заводской номер</translation>
    </message>
    <message>
        <source>The port is busy: another program uses it, for instance another copy of this program or a terminal program.</source>
        <translation>Порт занят: его использует другая программа, например другая копия этой программы или терминальная программа.</translation>
    </message>
    <message>
        <source>The document could not be made.</source>
        <translation>Не удалось подготовить документ.</translation>
    </message>
    <message>
        <source>It is not a regular file.</source>
        <translation>Это не обычный файл.</translation>
    </message>
    <message>
        <source>It is larger than %1 MiB, too large for a file of changes.</source>
        <translation>Он больше %1 МиБ, слишком велик для файла изменений.</translation>
    </message>
    <message>
        <source>It is not a text file.</source>
        <translation>Это не текстовый файл.</translation>
    </message>
    <message>
        <source>It is not a regular file, so it is not replaced.</source>
        <translation>Это не обычный файл, поэтому он не заменён.</translation>
    </message>
    <message>
        <source>Reading %1…</source>
        <translation>Чтение %1…</translation>
    </message>
    <message>
        <source>%1 was not read: another file of changes is being read.</source>
        <translation>%1 не прочитан: уже читается другой файл изменений.</translation>
    </message>
    <message>
        <source>Reading %1 was cancelled; the readings shown are unchanged.</source>
        <translation>Чтение %1 отменено; показанные показания не изменились.</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;Файл</translation>
    </message>
    <message>
        <source>Open &amp;Recent</source>
        <translation>&amp;Недавние файлы</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Справка</translation>
    </message>
    <message>
        <source>The settings could not be written to %1; folders and recent files will not be remembered.</source>
        <translation>Не удалось записать настройки в %1; папки и недавние файлы не будут запомнены.</translation>
    </message>
    <message>
        <source>&amp;Clear the list</source>
        <translation>&amp;Очистить список</translation>
    </message>
    <message>
        <source>Messages of this session</source>
        <translation>Сообщения этого сеанса</translation>
    </message>
    <message>
        <source>%1 — Measurements</source>
        <translation>%1 — Измерения</translation>
    </message>
    <message>
        <source>Received from %1. Readings: %2, groups: %3.</source>
        <translation>Принято от %1. Показаний: %2, групп: %3.</translation>
    </message>
    <message>
        <source>Kept as %1.</source>
        <translation>Сохранено: %1.</translation>
    </message>
    <message>
        <source>The names could not be written to the kept transfer %1: %2</source>
        <translation>Не удалось записать имена в сохранённую передачу %1: %2</translation>
    </message>
    <message>
        <source>&amp;History…</source>
        <translation>&amp;История…</translation>
    </message>
    <message>
        <source>Every control kept, found by object, inspector, device or serial number</source>
        <translation>Все сохранённые контроли с поиском по объекту, контролёру, прибору и заводскому номеру</translation>
    </message>
    <message>
        <source>&amp;Compare with the previous control…</source>
        <translation>&amp;Сравнить с предыдущим контролем…</translation>
    </message>
    <message>
        <source>The control shown beside the previous control of the same object</source>
        <translation>Показанный контроль рядом с предыдущим контролем того же объекта</translation>
    </message>
    <message>
        <source>&amp;Archive Folder…</source>
        <translation>&amp;Папка архива…</translation>
    </message>
    <message>
        <source>Choose the folder where every transfer is kept and whose history is shown</source>
        <translation>Выбрать папку, в которой сохраняется каждая передача и чья история показывается</translation>
    </message>
    <message>
        <source>The history of controls could not be brought up to date: %1</source>
        <translation>Не удалось обновить историю контролей: %1</translation>
    </message>
    <message>
        <source>History</source>
        <translation>История</translation>
    </message>
    <message>
        <source>The history of controls could not be opened:
%1</source>
        <translation>Не удалось открыть историю контролей:
%1</translation>
    </message>
    <message>
        <source>Choose the archive folder</source>
        <translation>Выбор папки архива</translation>
    </message>
    <message>
        <source>Transfers are kept in %1 from now on.</source>
        <translation>Теперь передачи сохраняются в %1.</translation>
    </message>
    <message>
        <source>Transfers are kept in %1 until the program ends; the settings could not be written to %2.</source>
        <translation>Передачи сохраняются в %1 до завершения программы: не удалось записать настройки в %2.</translation>
    </message>
    <message>
        <source>Indexing the archive: %v of %m</source>
        <translation>Индексация архива: %v из %m</translation>
    </message>
    <message>
        <source>%1 is not UTF-8 text; it was read as Windows-1251.</source>
        <translation>%1 — не текст в UTF-8; он прочитан в кодировке Windows-1251.</translation>
    </message>
    <message>
        <source>%1 is not a serial port.</source>
        <translation>%1 не является последовательным портом.</translation>
    </message>
    <message>
        <source>A cell of a sheet holds at most %1 characters; a reading or a field here is longer.</source>
        <translation>Ячейка листа вмещает не более %1 символов; здесь показание или поле длиннее.</translation>
    </message>
</context>
<context>
    <name>MessageLog</name>
    <message>
        <source>Messages of this session</source>
        <translation>Сообщения этого сеанса</translation>
    </message>
    <message>
        <source>No messages yet.</source>
        <translation>Сообщений пока нет.</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Receives, shows, saves and prints the readings of a measuring instrument.</source>
        <translation>Принимает, показывает, сохраняет и печатает показания измерительного прибора.</translation>
    </message>
    <message>
        <source>Treat DEVICE as the instrument&apos;s adapter.</source>
        <translation>Считать УСТРОЙСТВО адаптером прибора.</translation>
    </message>
    <message>
        <source>DEVICE</source>
        <translation>УСТРОЙСТВО</translation>
    </message>
    <message>
        <source>Do not keep every transfer in the transfers folder.</source>
        <translation>Не сохранять каждую передачу в папке передач.</translation>
    </message>
    <message>
        <source>A file of changes to read at start.</source>
        <translation>Файл изменений, который прочитать при запуске.</translation>
    </message>
    <message>
        <source>[file]</source>
        <translation>[файл]</translation>
    </message>
    <message>
        <source>Keep every transfer in FOLDER, and show its history, instead of the transfers folder.</source>
        <translation>Сохранять каждую передачу в ПАПКУ и показывать её историю вместо папки transfers.</translation>
    </message>
    <message>
        <source>FOLDER</source>
        <translation>ПАПКА</translation>
    </message>
</context>
</TS>
