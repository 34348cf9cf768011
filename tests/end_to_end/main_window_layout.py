"""Where the main window's controls sit, in pixels from its top-left corner.

Controls that lie on the lower bar or the tools panel are given in window
coordinates here (their parent's place added), as a click or a screenshot
needs them.
"""

TITLE = "Tintelo photo mallet"
SPLASH_SIZE = (332, 312)
CLOSED_SIZE = (902, 608)
OPEN_HEIGHT = 705

VIEW_BACKGROUND = (201, 201, 201)
PANEL_FILL = (213, 213, 213)  # views_backdrop, around the two views
LIGHT_INDICATOR_COLOUR = (237, 218, 10)


class Area:
    def __init__(self, x, y, width, height):
        self.x, self.y, self.width, self.height = x, y, width, height

    @property
    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2

    def of(self, picture):
        """This area cut out of a picture of the whole window."""
        return picture.crop(self.x, self.y, self.width, self.height)


open_button = Area(8, 32, 131, 21)
close_button = Area(8, 56, 131, 21)
save_button = Area(8, 80, 131, 21)
undo_button = Area(144, 32, 131, 21)
about_button = Area(144, 56, 131, 21)
previous_button = Area(146, 80, 63, 21)
next_button = Area(211, 80, 63, 21)
top_minimise_key = Area(856, 0, 23, 22)
top_close_key = Area(880, 0, 22, 22)
lcd_panel = Area(296, 32, 599, 58)
# The first LCD row from where the status text starts; the second row begins at y 65.
status_line = Area(296 + 256, 32 + 12, 330, 20)
original_view = Area(16, 120, 420, 320)
corrected_view = Area(460, 120, 420, 320)
# Empty stretches of the caption bars, between their labels and zoom sliders.
original_caption_bar_gap = Area(13 + 150, 449 + 1, 100, 2)
corrected_caption_bar_gap = Area(458 + 160, 449 + 1, 100, 2)
# The backdrop between the two views' frames.
between_views = Area(442, 150, 12, 250)

# On the lower bar (at (0, 474)); correction_button is the window's own child.
lower_bar = Area(0, 474, 902, 90)
camera_icon_uncovered = Area(8, 474 + 19, 73, 53)  # phone_icon lies over its last columns
phone_icon = Area(81, 474 + 19, 65, 53)
correction_info_box = Area(376, 474 + 31, 218, 30)
tools_button = Area(720, 474 + 17, 152, 62)
correction_button = Area(312, 497, 49, 49)
bottom_bar_closed = Area(0, 559, 902, 49)

# On the tools panel (at (0, 560)), visible once it has slid open.
TOOLS_TOP = 560
outdoors_preset = Area(178, TOOLS_TOP + 25, 81, 66)
dark_button = Area(785, TOOLS_TOP + 70, 32, 22)
light_button = Area(833, TOOLS_TOP + 70, 32, 22)
LIGHT_SCALE_X = 768
LIGHT_INDICATOR_Y = TOOLS_TOP + 25 + 12
LIGHT_INDICATOR_HEIGHT = 25


def light_indicator(light_level):
    """Where the light indicator stands at a light level (-6 to 6)."""
    return Area(LIGHT_SCALE_X + 57 + 8 * light_level, LIGHT_INDICATOR_Y, 5, LIGHT_INDICATOR_HEIGHT)
