#pragma once

// Where the window system asks the drag's source for its data on the source's own connection (X11), we answer
// those requests ourselves, from DragPayload::current(): every format we offer, TARGETS included, to any
// requestor while a drag's payload is live. Qt 6.4's own answer refuses a request whose time or window it
// cannot match to the drag (so a drop bridged to Wayland by the compositor received nothing), and converts the
// text for STRING and TEXT into an array that nobody overwrites.
//
// Installed once; does nothing on a window system that asks through the toolkit's data object (Windows), where
// DragPayload::retrieveData answers.
void serveDragDataOurselves();
