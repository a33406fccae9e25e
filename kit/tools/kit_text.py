"""Every text of the sample languages.

LANGUAGES: folder name, display name, file encoding, font.
PANEL: the panel's caption keys in reading order: (section, key, English, Russian,
font size or None, colour override or None). A caption "(null)" hides its control.
SETUP and UNINSTALL: the setup programs' entries (no commas allowed in them).
"""

LANGUAGES = [
    # folder, display name, encoding of Language.ini, font
    ("English", "English", "ascii", "Tahoma"),
    ("Russian", "Russian", "utf-16-le", "Tahoma"),
]

# TColor values (0x00BBGGRR) of the captions.
COLOR_UP = 0xC8C4C0
COLOR_DOWN = 0xFFFFFF
COLOR_HEADING = 0x9A938C
COLOR_ABOUT = 0x202020
FONT_SIZE = 9

PANEL = [
    ("Main", "LabelMenu1", "Save", "Сохранить", None, None),
    ("Main", "LabelMenu2", "Load", "Загрузить", None, None),
    ("Main", "LabelMenu3", "About", "О программе", None, None),
    ("Main", "LabelPageEQ", "Equalizer", "Эквалайзер", None, None),
    ("Main", "LabelPage3D", "(null)", "(null)", None, None),
    ("Main", "LabelPageEffect", "Effects", "Эффекты", None, None),
    ("Main", "LabelPageMic", "Microphone", "Микрофон", None, None),
    ("Main", "LabelPageVirtual7ch1", "Virtual 7.1", "Виртуал 7.1", None, None),
    ("Main", "LabelActive", "Device connected", "Устройство готово", None, 0x71CC2E),
    ("Main", "LabelUnDriver", "Driver missing", "Нет драйвера", None, 0x1E9CF3),
    ("Main", "LabelUnactive", "No device", "Нет устройства", None, 0x5A5AE0),
    ("Main", "LabelSync", "(null)", "(null)", None, None),
    ("Main", "LabelSetting", "Device", "Устройство", 8, COLOR_HEADING),
    ("Main", "LabelSX", "Music", "Музыка", 10, None),
    ("Main", "LabelFeatures", "Vello Audio Center", "Vello Audio Center", 11, None),
    ("Main", "LabelCompanyName", "Vello Audio Systems", "Vello Audio Systems", 7, COLOR_HEADING),
    ("Main", "DeviceInLabel", "Online", "Подключено", 8, None),
    ("Main", "DeviceOutLabel", "Offline", "Отключено", 8, None),
    ("Main", "LabelPageLED", "Lighting", "Подсветка", None, None),
    ("Main", "LabelPageENC", "ENC", "Шумы", None, None),
    ("Main", "LabelPageTbxEffect", "Voice", "Голос", None, None),
    ("Main", "LabelLanguage", "Language", "Язык", None, None),
    ("Main", "LabelSkin", "Skin", "Оформление", None, None),
    ("Main", "LabelClose", "Close", "Закрыть", None, None),
    ("Main", "LabelPlugin", "Plug-ins", "Модули", None, None),
    ("EQ", "LabelEQEnable", "Equalizer on", "Эквалайзер", None, None),
    ("EQ", "LableEQ3DEnable", "3D sound", "Объёмный звук", None, None),
    ("EQ", "LabelEQReset", "Reset", "Сброс", None, None),
    ("EQ", "LabelEQS1", "Music", "Музыка", None, None),
    ("EQ", "LabelEQS2", "Movie", "Кино", None, None),
    ("EQ", "LabelEQS3", "Game", "Игры", None, None),
    ("EQ", "LabelEQS4", "Voice", "Речь", None, None),
    ("EQ", "LabelEQ60Hz", "60 Hz", "60 Гц", 8, None),
    ("EQ", "LabelEQ300Hz", "300 Hz", "300 Гц", 8, None),
    ("EQ", "LabelEQ1200Hz", "1.2 kHz", "1,2 кГц", 8, None),
    ("EQ", "LabelEQ3600Hz", "3.6 kHz", "3,6 кГц", 8, None),
    ("EQ", "LabelEQ12000Hz", "12 kHz", "12 кГц", 8, None),
    ("3D", "Label3DEnable", "3D sound", "Объёмный звук", None, None),
    ("3D", "Label3DFBM", "Bass boost", "Усиление басов", None, None),
    ("3D", "Label3DReset", "Reset", "Сброс", None, None),
    ("3D", "Label3DLeftChannel", "Left channel", "Левый канал", 8, None),
    ("3D", "Label3DRightChannel", "Right channel", "Правый канал", 8, None),
    ("3D", "Label3DConnection", "Link", "Связь", 8, None),
    ("Effect", "LabelEffectNothing", "No effect", "Без эффекта", None, None),
    ("Effect", "LabelEffectTheater", "Theater", "Кинотеатр", None, None),
    ("Effect", "LabelEffectBathroom", "Bathroom", "Ванная", None, None),
    ("Effect", "LabelEffectLivingroom", "Living room", "Гостиная", None, None),
    ("Effect", "LabelEffectStoneGallery", "Stone gallery", "Каменный зал", None, None),
    ("Mic", "LabelMicBoost", "Mic boost", "Усиление", None, None),
    ("Mic", "LabelMicMute", "Mute", "Без звука", None, None),
    ("Mic", "LabelMicMonitor", "Monitor", "Прослушивание", None, None),
    ("Mic", "LabelMicGain", "Gain", "Уровень", 8, None),
    ("Mic", "LabelMicValue", "0", "0", 9, None),
    ("Virtual7ch1", "Label7ch1Enable", "Virtual 7.1", "Виртуал 7.1", None, None),
    ("Virtual7ch1", "LabelVirtualClockwise", "Rotate right", "Вправо", None, None),
    ("Virtual7ch1", "LabelVirtualCounterclockwise", "Rotate left", "Влево", None, None),
    ("Virtual7ch1", "LabelVirtualEnlarge", "Wider", "Шире", None, None),
    ("Virtual7ch1", "LabelVirtualNarrow", "Narrower", "Уже", None, None),
    ("Virtual7ch1", "Label7ch1Reset", "Reset", "Сброс", None, None),
    ("LED", "ColorBreatheLabel", "Breathe", "Дыхание", None, None),
    ("LED", "ColorRainbowLabel", "Rainbow", "Радуга", None, None),
    ("LED", "ColorPulsatingLabel", "Colour cycle", "Смена цветов", None, None),
    ("LED", "ColorSelectLabel", "Colours (click to change)", "Цвета (щёлкните для выбора)", 8, COLOR_HEADING),
    ("LED", "ColorEffectLabel", "Effect", "Эффект", 8, COLOR_HEADING),
    ("LED", "ColorLEDOffLabel", "Lights off", "Выключить", None, None),
    ("LED", "ColorSingleLabel", "Single colour", "Один цвет", None, None),
    ("LED", "ColorSlowLabel", "Slow", "Медленно", 8, COLOR_HEADING),
    ("LED", "ColorFastLabel", "Fast", "Быстро", 8, COLOR_HEADING),
    ("ENC", "ENCFunctionLabel", "Noise cancelling", "Шумоподавление", None, None),
    ("ENC", "LabelENCValue", "0", "0", 9, None),
    ("Timbrex", "TbxEffectNoneLabel", "Natural", "Обычный", 8, None),
    ("Timbrex", "TbxEffect1Label", "Robot", "Робот", 8, None),
    ("Timbrex", "TbxEffect2Label", "Child", "Ребёнок", 8, None),
    ("Timbrex", "TbxEffect3Label", "Deep", "Низкий", 8, None),
    ("Timbrex", "TbxEffect4Label", "Echo", "Эхо", 8, None),
    ("Timbrex", "TbxFunctionLabel", "Voice effect", "Эффект голоса", None, None),
    ("About", "LabelAbout", "Vello Audio Center, version 1.0", "Vello Audio Center, версия 1.0", 9, COLOR_ABOUT),
    ("About", "LabelWeb", "https://www.vello-audio.example", "https://www.vello-audio.example", 9, 0xC06000),
    ("Main", "LabelWarning", "Please connect the audio device first.",
     "Сначала подключите аудиоустройство.", None, None),
    ("Main", "LabelWarning1", "This function is not available for the connected device.",
     "Эта функция недоступна для подключённого устройства.", None, None),
]

# Keys that carry only a caption (menus, warnings).
CAPTION_ONLY = {"LabelLanguage", "LabelSkin", "LabelClose", "LabelPlugin", "LabelWarning", "LabelWarning1"}

# The installer's [Setup] entries: key, English, Russian, style fields after the text
# (colour, second colour, font, size, left, top, width, height) for label entries.
SETUP = [
    ("LabelBackBtn", "< Back", "< Назад", None),
    ("LabelNextBtn", "Next >", "Далее >", None),
    ("LabelFinishBtn", "Finish", "Готово", None),
    ("LabelCancelBtn", "Cancel", "Отмена", None),
    ("LabelSelectLang", "Select language:", "Выберите язык:", (0, None, "Tahoma", 10, 16, 52, 150, 16)),
    ("LabelVersion", "Version 1.0", "Версия 1.0", (0x606060, None, "Tahoma", 10, 184, 20, 230, 16)),
    ("LabelAudioExt", "Vello Audio Center", "Vello Audio Center", (0x804000, None, "Tahoma", 10, 184, 52, 230, 16)),
    ("LabelInstall", "Installing - please wait...", "Установка - подождите...",
     (0, None, "Tahoma", 10, 16, 24, 300, 16)),
    ("LabelReboot", "Windows must restart to finish the installation.",
     "Для завершения установки нужно перезапустить Windows.", (0, None, "Tahoma", 10, 40, 10, 360, 48)),
    ("LabelRebootRadioBtn", "Yes - restart now", "Да - перезапустить сейчас", None),
    ("LabelNoRebootRadioBtn", "No - restart later", "Нет - перезапустить позже", None),
    ("LabelTitle", "Vello Audio Center Setup", "Установка Vello Audio Center", None),
    ("LabelWarning1", "An earlier version is installed. Please remove it first.",
     "Установлена предыдущая версия. Сначала удалите её.", None),
    ("LabelWarning2", "The installation failed. Error code:", "Ошибка установки. Код ошибки:", None),
    ("LabelWarning3", "The driver could not be installed.", "Не удалось установить драйвер.", None),
    ("LabelWarning4", "The service could not be started.", "Не удалось запустить службу.", None),
    ("AntivirusTip", "", "", None),
    ("KB3033929Tip", "Setup installs a Windows update that the driver needs.",
     "Программа установит обновление Windows для драйвера.", None),
]

UNINSTALL = [
    ("LabelUninstallBtn", "Uninstall", "Удалить", None),
    ("LabelCancelBtn", "Cancel", "Отмена", None),
    ("Label1", "Vello Audio Center will be removed from this computer.",
     "Vello Audio Center будет удалён с компьютера.", (0, None, "Tahoma", 9, 88, 24, 353, 16)),
    ("Label2", "Close the control panel and click Uninstall to continue.",
     "Закройте панель управления и нажмите Удалить.", (0x505050, None, "Tahoma", 9, 88, 44, 289, 41)),
    ("LabelTitle", "Vello Audio Center Uninstall", "Удаление Vello Audio Center", None),
    ("LabelWarning1", "The audio filter is still active. Please restart Windows.",
     "Аудиофильтр ещё активен. Перезапустите Windows.", None),
]

MANUAL_TITLE = {"English": "Vello Audio Center - User Manual",
                "Russian": "Vello Audio Center - руководство пользователя"}
MANUAL_BODY = {
    "English": [
        "Vello Audio Center controls the sound of your Vello USB audio device.",
        "Equalizer: drag the five band sliders or pick one of the four presets.",
        "Effects: choose a room sound such as Theater or Stone gallery.",
        "Microphone: set the gain and switch boost, mute and monitor.",
        "Virtual 7.1: drag the speakers around the listener or let them turn.",
        "Lighting, noise cancelling and voice effects have pages of their own.",
        "Use Save and Load to keep your settings in profile files.",
    ],
    "Russian": [
        "Vello Audio Center управляет звуком USB-аудиоустройства Vello.",
        "Эквалайзер: перемещайте пять ползунков или выберите одну из четырёх предустановок.",
        "Эффекты: выберите звучание помещения, например Кинотеатр или Каменный зал.",
        "Микрофон: задайте уровень и включите усиление, отключение звука и прослушивание.",
        "Виртуал 7.1: перемещайте динамики вокруг слушателя или вращайте их.",
        "Подсветка, шумоподавление и эффекты голоса находятся на отдельных страницах.",
        "Кнопки Сохранить и Загрузить сохраняют настройки в файлах профилей.",
    ],
}
