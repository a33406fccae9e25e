"""Where every picture and caption of the sample panel sits.

All positions are in the panel's design size (819 x 513 client pixels); each
resolution class scales them by its own factor. A picture row is
(key, kind, rect, page) with rect = (left, top, width, height) or None for a
picture without position (its control keeps the form's place and takes the
picture's size). page is None for the section's own page.
"""

WIDTH, HEIGHT = 819, 513

# Resolution classes: sub-folder name ("" for the base level) and scale.
# The base level and "1366x768" use the design size.
RESOLUTIONS = [("", 1.0), ("960x540", 0.8), ("1366x768", 1.0), ("1920x1080", 1.25)]

HEADER_H = 52
LEFT_W = 196
CONTENT = (206, 96, 603, 409)
RIGHT_X, BTN_W, BTN_H = 630, 160, 30

# Page tabs in screen order: (skin key stem, language key).
TABS = [("PageEQ", "LabelPageEQ"), ("PageEffect", "LabelPageEffect"), ("PageMic", "LabelPageMic"),
        ("PageVirtual7p1", "LabelPageVirtual7ch1"), ("PageENC", "LabelPageENC"),
        ("PageTbxEffect", "LabelPageTbxEffect"), ("PageLED", "LabelPageLED")]


def tab_rect(i):
    return (206 + i * 86, 58, 82, 30)


def right_button(row, top=120, step=40):
    return (RIGHT_X, top + row * step, BTN_W, BTN_H)


def on_button(rect, height=16, glyph=True):
    """Caption rectangle on a button picture, clear of the symbol at its right end."""
    x, y, w, h = rect
    return (x + 10, y + (h - height) // 2, w - 14 - (h if glyph else 0), height)


# Slider tracks: top of the knob's travel and its length; knobs are 34 x 16.
KNOB_W, KNOB_H = 34, 16
EQ_TRACK = (150, 200)
MIC_TRACK = (150, 200)
ENC_TRACK = (150, 200)
D3_TRACK = (105, 120)  # the 3D knobs travel over fixed pixels 105..225
EQ_BANDS = [("60Hz", 300), ("300Hz", 366), ("1200Hz", 432), ("3600Hz", 498), ("12000Hz", 564)]
MIC_X, ENC_X = 470, 330
D3_BARS = [("LAlpha", 262), ("LBeta", 318), ("RAlpha", 466), ("RBeta", 522)]

# Virtual 7.1 circle: centre (of the icons' top-left corners) and radius.
VIRTUAL_CENTER = (386, 251, 110)
SPEAKER = 32
ROOM = (250, 110, 310, 310)
# Default speakers: angle in degrees clockwise from the front, distance.
SPEAKERS = [("C", 0, 100), ("L", -30, 100), ("LS", -100, 100), ("LB", -150, 100),
            ("RB", 150, 100), ("RS", 100, 100), ("SUB", 0, 52), ("R", 30, 100)]

# Lighting page.
LED_SLOTS_Y = 130
LED_ROWS = {"Off": 216, "Single": 248, "Breathe": 280, "Rainbow": 312, "Pulsating": 344}
LED_BAR = (470, 220, 12)      # left, width, height of the speed bars
LED_KNOB = (16, 24)
MIC_PROGRESS_LENGTH = 300


def speaker_place(angle, dist):
    import math
    cx, cy, _ = VIRTUAL_CENTER
    a = math.radians(angle)
    return (int(cx + math.sin(a) * dist), int(cy - math.cos(a) * dist))


def _two_state(stem, kind, rect, page=None, up="Up", down="Down", suffix=""):
    """Rows for a button's Up and Down pictures: stem+Up+suffix, stem+Down+suffix."""
    return [(stem + up + suffix, kind + ":up", rect, page), (stem + down + suffix, kind + ":down", rect, page)]


def _slider(prefix, cx, track, bar_key, knob_key, grad_key=None, page=None):
    top, length = track
    bar = (cx - 7, top, 14, length + KNOB_H)
    knob = (cx - KNOB_W // 2, top + length // 2, KNOB_W, KNOB_H)
    rows = []
    if grad_key:
        rows.append((grad_key, "grad", (cx - 36, top, 22, length + KNOB_H), page))
    rows += [(bar_key, "vbar", bar, page), (knob_key, "vknob", knob, page)]
    return rows


def main_rows():
    rows = [("MainFormImage", "window", None, None)]
    rows += _two_state("CloseImage", "button:close", (778, 12, 28, 28))
    rows += _two_state("MinimizeImage", "button:minimize", (744, 12, 28, 28))
    rows += [("DeviceActiveImage", "status", (556, 14, 24, 24), None)]
    rows += _two_state("Menu1Image", "button:save", (18, 356, 160, 30))
    rows += _two_state("Menu2Image", "button:load", (18, 394, 160, 30))
    rows += _two_state("Menu3Image", "button:about", (18, 432, 160, 30))
    rows += [("LogoImage", "logo", (18, 10, 168, 32), None)]
    rows += _two_state("LedImage", "button:led", (706, 12, 28, 28))
    for n, icon in enumerate(["eq", "effect", "mic", "virtual"], 1):
        rows.append(("MainLeftImage%d" % n, "left:" + icon, (12, 62, 172, 150), None))
    rows += [("DeviceActiveUpImage", "device:in:up", (30, 268, 48, 48), None),
             ("DeviceActiveDownImage", "device:in:down", (30, 268, 48, 48), None),
             ("DeviceUnActiveUpImage", "device:out:up", (118, 268, 48, 48), None),
             ("DeviceUnActiveDownImage", "device:out:down", (118, 268, 48, 48), None)]
    return rows


def tab_rows():
    ups, downs = [], []
    order = ["PageEQ", "PageEffect", "PageMic", "PageVirtual7p1"]
    rects = {stem: tab_rect(i) for i, (stem, _) in enumerate(TABS)}
    rows = [(s + "UpImage", "tab:up", rects[s], None) for s in order]
    rows += [(s + "DownImage", "tab:down", rects[s], None) for s in order]
    for s in ["PageLED", "PageENC", "PageTbxEffect"]:
        rows += [(s + "UpImage", "tab:up", rects[s], None), (s + "DownImage", "tab:down", rects[s], None)]
    return rows


def eq_rows():
    rows = [("Back_EQImage", "pageback:eq", CONTENT, None)]
    rows += _two_state("EQEQENImage", "button:power", right_button(0))
    rows += _two_state("EQ3DENImage", "button:3d", right_button(1))
    rows += _two_state("EQResetImage", "button:reset", right_button(2))
    presets = [(RIGHT_X, 252 + i * 40, BTN_W, BTN_H) for i in range(4)]
    for i, rect in enumerate(presets, 1):
        rows += _two_state("EQS%dImage" % i, "button:preset%d" % i, rect)
    for i, y in enumerate([241, 287, 327, 367, 408], 1):
        rows.append(("EQButtonLineImage%d" % i, "line", (RIGHT_X, y, BTN_W, 2), None))
    top, length = EQ_TRACK
    rows.append(("EQGraduationImage", "grad", (236, top, 34, length + KNOB_H), None))
    for band, cx in EQ_BANDS:
        rows.append(("EQ%sBarImage" % band, "vbar", (cx - 7, top, 14, length + KNOB_H), None))
    for band, cx in EQ_BANDS:
        rows.append(("EQ%sSliderImage" % band, "vknob", (cx - KNOB_W // 2, top + length // 2, KNOB_W, KNOB_H), None))
    for band, cx in EQ_BANDS:
        rows.append(("EQ%sBarDownImage" % band, "pedestal", (cx - 17, top + length + KNOB_H + 4, 34, 6), 1))
    return rows


# Sections whose picture entries the skins leave empty, so that their
# pictures stay hidden. The 3D page has no tab (the equaliser page's 3D
# button switches 3D): its pictures lie beneath every other page and would
# show through on the pages without a background picture of their own
# (ENC, voice effect, lighting). The pictures are still drawn, for a skin
# that gives the page a way in.
EMPTY_SECTIONS = {"3D"}


def d3_rows():
    rows = [("Back_3DImage", "pageback:3d", CONTENT, None)]
    rows += _two_state("D33DENImage", "button:3d", right_button(0))
    rows += _two_state("D3FBMImage", "button:bass", right_button(1))
    rows += _two_state("D3ResetImage", "button:reset", right_button(2))
    rows += [("D3LChannelImage", "channel:L", (236, 262, 132, 28), None),
             ("D3RChannelImage", "channel:R", (440, 262, 132, 28), None),
             ("D3ConnectionImage", "connection", (376, 262, 56, 28), None)]
    for axis, y in [("Alpha", 136), ("Beta", 186)]:
        for mode in ["Indep", "Dep", "Inv"]:
            rows.append(("D3%s%sImage" % (axis, mode), "link:" + mode.lower(), (380, y, 48, 28), None))
    rows += [("D3ButtonLineImage1", "line", (RIGHT_X, 241, BTN_W, 2), None),
             ("D3ButtonLineImage2", "line", (RIGHT_X, 292, BTN_W, 2), None)]
    top, length = D3_TRACK
    for name, cx in D3_BARS:
        rows.append(("D3%sGraduationImage" % name, "grad:small", (cx - 28, top, 16, length + KNOB_H), None))
    for name, cx in D3_BARS:
        rows.append(("D3%sBarImage" % name, "vbar", (cx - 7, top, 14, length + KNOB_H), None))
    for name, cx in D3_BARS:
        rows.append(("D3%sSliderImage" % name, "vknob", (cx - 14, top + length // 2, 28, 14), None))
    # the file lists them as L alpha, L beta, R alpha, R beta: same order as D3_BARS
    return rows


EFFECTS = [("Non", "nothing"), ("Theater", "theater"), ("Bathroom", "bathroom"),
           ("Livingroom", "livingroom"), ("StoneGallery", "stonegallery")]


def effect_button_rect(i):
    return (226, 120 + i * 46, 170, 34)


def effect_rows():
    rows = [("Back_EffectImage", "pageback:effect", CONTENT, None)]
    for i, (name, glyph) in enumerate(EFFECTS):
        rows += _two_state("EffectButton%sImage" % name, "button:" + glyph, effect_button_rect(i))
    for i in range(4):
        rows.append(("EffectButtonLineImage%d" % (i + 1), "line", (226, 157 + i * 46, 170, 2), None))
    for name, glyph in EFFECTS:
        rows.append(("EffectPic%sImage" % name, "effectpic:" + glyph, (420, 120, 370, 224), None))
    return rows


# The ten reserved effect keys name the buttons' own pictures.
RESERVED_EFFECT_KEYS = [("EffectNonUpImage", "EffectButtonNonImageUp"),
                        ("EffectNonDownImage", "EffectButtonNonImageDown"),
                        ("EffectTheaterUpImage", "EffectButtonTheaterImageUp"),
                        ("EffectTheaterDownImage", "EffectButtonTheaterImageDown"),
                        ("EffectStoneGalleryUpImage", "EffectButtonStoneGalleryImageUp"),
                        ("EffectStoneGalleryDownImage", "EffectButtonStoneGalleryImageDown"),
                        ("EffectLivingroomUpImage", "EffectButtonLivingroomImageUp"),
                        ("EffectLivingroomDownImage", "EffectButtonLivingroomImageDown"),
                        ("EffectBathroomUpImage", "EffectButtonBathroomImageUp"),
                        ("EffectBathroomDownImage", "EffectButtonBathroomImageDown")]


def mic_rows():
    top, length = MIC_TRACK
    rows = [("Back_MicImage", "pageback:mic", CONTENT, None)]
    rows += _two_state("MicBoostImage", "button:boost", right_button(0))
    rows += _two_state("MicMuteImage", "button:mute", right_button(1))
    rows += _two_state("MicMonitorImage", "button:monitor", right_button(2))
    rows += [("MicButtonLineImage", "line", (RIGHT_X, 241, BTN_W, 2), None),
             ("MicPicImage", "micpic", (236, 120, 160, 240), None),
             ("MicProgressImage", "meter", (236, 446, MIC_PROGRESS_LENGTH, 14), None),
             ("MicGainImage", "gainicon", (MIC_X - 24, 118, 48, 24), None),
             ("MicGraduationImage", "grad", (MIC_X - 52, top, 34, length + KNOB_H), None),
             ("MicBarImage", "vbar", (MIC_X - 7, top, 14, length + KNOB_H), None),
             ("MicSliderImage", "vknob", (MIC_X - KNOB_W // 2, top + length // 2, KNOB_W, KNOB_H), None),
             ("MicValueImage", "valuebox", (MIC_X + 34, 242, 56, 26), None),
             ("MicBarDownImage", "pedestal", (MIC_X - 17, top + length + KNOB_H + 4, 34, 6), 3)]
    return rows


def virtual_rows():
    rows = [("Back_Virtual7p1Image", "pageback:virtual", CONTENT, None)]
    rows += _two_state("VirtualEnableImage", "button:surround", right_button(0))
    rows += _two_state("VirtualDisableImage", "button:switch", right_button(0))
    for i, (name, glyph) in enumerate([("Clockwise", "cw"), ("Counterclockwise", "ccw"),
                                       ("Enlarge", "enlarge"), ("Narrow", "narrow")]):
        rows += _two_state("Virtual" + name, "button:" + glyph, (RIGHT_X, 172 + i * 40, BTN_W, BTN_H),
                           up="UpImage", down="DownImage")
    rows += _two_state("VirtualReset", "button:reset", (RIGHT_X, 342, BTN_W, BTN_H), up="UpImage",
                       down="DownImage")
    rows.append(("VirtualPicImage", "room", ROOM, None))
    places = {name: speaker_place(a, d) for name, a, d in SPEAKERS}
    for name in ["C", "L", "LS", "LB", "RB", "RS", "R", "SUB"]:
        x, y = places[name]
        rows.append(("Virtual%sImage" % name, "speaker:" + name, (x, y, SPEAKER, SPEAKER), None))
    rows += [("VirtualButtonLineImage1", "line", (RIGHT_X, 161, BTN_W, 2), None),
             ("VirtualButtonLineImage2", "line", (RIGHT_X, 333, BTN_W, 2), None),
             ("VirtualButtonLineImage3", "line", (RIGHT_X, 383, BTN_W, 2), None)]
    return rows


def led_check_rect(row):
    return (236, LED_ROWS[row], 20, 20)


def led_bar_rect(row):
    x, w, h = LED_BAR
    return (x, LED_ROWS[row] + 4, w, h)


def led_knob_rect(row):
    x, w, h = LED_BAR
    kw, kh = LED_KNOB
    return (x, LED_ROWS[row] - 2, kw, kh)


def led_rows():
    rows = [("ColorBreatheBarImage", "hbar", led_bar_rect("Breathe"), None),
            ("ColorRainbowBarImage", "hbar:rainbow", led_bar_rect("Rainbow"), None),
            ("ColorPulsatingBarImage", "hbar", led_bar_rect("Pulsating"), None)]
    for row in ["Breathe", "Rainbow", "Pulsating"]:
        rows += _two_state("Color%sSlider" % row, "hknob", led_knob_rect(row), up="UpImage", down="DownImage")
    for row in ["Breathe", "Rainbow", "Pulsating", "LEDOff", "Single"]:
        place = "Off" if row == "LEDOff" else row
        rows += _two_state("Color%sCheck" % row, "check", led_check_rect(place), up="UpImage", down="DownImage")
    return rows


def led_shapes():
    """[LED] shape keys of the skin root: (key, left, top, width, height, shape)."""
    shapes = [("Color%02dShape" % (i + 1), 236 + i * 42, LED_SLOTS_Y, 32, 32, 3) for i in range(7)]
    shapes += [("ColorSingleShape", 420, LED_ROWS["Single"] - 4, 28, 28, 3),
               ("ColorBreatheShape", 420, LED_ROWS["Breathe"] - 4, 28, 28, 3)]
    return shapes


def enc_rows():
    top, length = ENC_TRACK
    rows = _two_state("ENCFunction", "button:enc", right_button(0), up="UpImage", down="DownImage")
    rows += [("ENCBarImage", "vbar", (ENC_X - 7, top, 14, length + KNOB_H), None),
             ("ENCSliderImage", "vknob", (ENC_X - KNOB_W // 2, top + length // 2, KNOB_W, KNOB_H), None),
             ("ENCValueImage", "valuebox", (ENC_X + 34, 242, 56, 26), None)]
    return rows


TBX = [("TbxEffectNone", "none"), ("TbxEffect1", "voice1"), ("TbxEffect2", "voice2"),
       ("TbxEffect3", "voice3"), ("TbxEffect4", "voice4")]


def tbx_tile_rect(i):
    return (236 + i * 76, 150, 68, 68)


def tbx_rows():
    rows = []
    for i, (stem, glyph) in enumerate(TBX):
        rows += _two_state(stem, "tile:" + glyph, tbx_tile_rect(i), up="UpImage", down="DownImage")
    rows += _two_state("TbxFunction", "button:voice", right_button(0), up="UpImage", down="DownImage")
    return rows


# SkinSetting.ini sections in file order: (section, rows, extra keys after the rows).
def skin_sections():
    return [("Main", main_rows()), ("EQ", eq_rows()), ("3D", d3_rows()), ("Effect", effect_rows()),
            ("Mic", mic_rows()), ("Virtual7ch1", virtual_rows()), ("About", [("LogoImage", "aboutlogo", None, None)]),
            ("MainTabs", tab_rows()), ("LED", led_rows()), ("ENC", enc_rows()), ("Timbrex", tbx_rows())]


# ---------------------------------------------------------------- captions
# Caption rectangles of the panel's labels (Language.ini), by key; keys that
# carry no position (menu captions, warnings, About texts) are absent.
def label_rects():
    r = {}
    r["LabelMenu1"] = on_button((18, 356, 160, 30))
    r["LabelMenu2"] = on_button((18, 394, 160, 30))
    r["LabelMenu3"] = on_button((18, 432, 160, 30))
    for i, (_, key) in enumerate(TABS):
        x, y, w, h = tab_rect(i)
        r[key] = (x + 6, y + (h - 16) // 2, w - 8, 16)  # tabs carry no symbol: the caption takes their width
    r["LabelPage3D"] = (0, 0, 0, 0)
    for key in ["LabelActive", "LabelUnDriver", "LabelUnactive"]:
        r[key] = (586, 17, 112, 18)
    r["LabelSync"] = (200, 17, 60, 18)
    r["LabelSetting"] = (12, 246, 172, 16)
    r["LabelSX"] = (12, 218, 172, 18)
    r["LabelFeatures"] = (206, 18, 300, 18)
    r["LabelCompanyName"] = (12, 488, 172, 16)
    r["DeviceInLabel"] = (14, 320, 80, 16)
    r["DeviceOutLabel"] = (102, 320, 80, 16)
    r["LabelEQEnable"] = on_button(right_button(0))
    r["LableEQ3DEnable"] = on_button(right_button(1))
    r["LabelEQReset"] = on_button(right_button(2))
    for i in range(4):
        r["LabelEQS%d" % (i + 1)] = on_button((RIGHT_X, 252 + i * 40, BTN_W, BTN_H))
    for band, cx in EQ_BANDS:
        r["LabelEQ" + band] = (cx - 30, EQ_TRACK[0] + EQ_TRACK[1] + KNOB_H + 16, 60, 16)
    r["Label3DEnable"] = on_button(right_button(0))
    r["Label3DFBM"] = on_button(right_button(1))
    r["Label3DReset"] = on_button(right_button(2))
    r["Label3DLeftChannel"] = (236, 298, 132, 16)
    r["Label3DRightChannel"] = (440, 298, 132, 16)
    r["Label3DConnection"] = (360, 298, 88, 16)
    for i, key in enumerate(["LabelEffectNothing", "LabelEffectTheater", "LabelEffectBathroom",
                             "LabelEffectLivingroom", "LabelEffectStoneGallery"]):
        r[key] = on_button(effect_button_rect(i))
    r["LabelMicBoost"] = on_button(right_button(0))
    r["LabelMicMute"] = on_button(right_button(1))
    r["LabelMicMonitor"] = on_button(right_button(2))
    r["LabelMicGain"] = (MIC_X - 40, MIC_TRACK[0] + MIC_TRACK[1] + KNOB_H + 16, 80, 16)
    r["LabelMicValue"] = (MIC_X + 38, 247, 48, 16)
    r["Label7ch1Enable"] = on_button(right_button(0))
    for i, key in enumerate(["LabelVirtualClockwise", "LabelVirtualCounterclockwise",
                             "LabelVirtualEnlarge", "LabelVirtualNarrow"]):
        r[key] = on_button((RIGHT_X, 172 + i * 40, BTN_W, BTN_H))
    r["Label7ch1Reset"] = on_button((RIGHT_X, 342, BTN_W, BTN_H))
    r["ColorSelectLabel"] = (236, 108, 300, 16)
    r["ColorEffectLabel"] = (236, 190, 200, 16)
    r["ColorSlowLabel"] = (LED_BAR[0], 194, 80, 16)
    r["ColorFastLabel"] = (LED_BAR[0] + LED_BAR[1] - 80, 194, 80, 16)
    for row, key in [("Off", "ColorLEDOffLabel"), ("Single", "ColorSingleLabel"),
                     ("Breathe", "ColorBreatheLabel"), ("Rainbow", "ColorRainbowLabel"),
                     ("Pulsating", "ColorPulsatingLabel")]:
        r[key] = (264, LED_ROWS[row] + 2, 150, 16)
    r["ENCFunctionLabel"] = on_button(right_button(0))
    r["LabelENCValue"] = (ENC_X + 38, 247, 48, 16)
    for i, (stem, _) in enumerate(TBX):
        x, y, w, h = tbx_tile_rect(i)
        r[stem + "Label"] = (x - 4, y + h + 8, w + 8, 16)
    r["TbxFunctionLabel"] = on_button(right_button(0))
    return r
