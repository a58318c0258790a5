// The look both windows share: the desktop's font family at the size the
// design is drawn for, and group captions on the frame line as the design
// draws them (so controls near a group's top edge stay clear of the frame).
#pragma once

class QWidget;

// Applies the look to Area and everything inside it.
void ApplyDesignLook(QWidget& Area);
