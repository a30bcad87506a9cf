// The colour in which a result is shown.
#pragma once

extern "C" {

// Reads the console's current attribute, stores its low byte through `savedAttribute` (when not
// null) and returns the attribute for a result in its low byte: from the "Highlight" setting
// when there is one, else a colour that contrasts with the current background.
int SelectHighlight(unsigned char* savedAttribute);
}
