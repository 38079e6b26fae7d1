#pragma once

class QWidget;

// Puts a top-level window into the band of windows kept above all ordinary ones, or takes it out, without
// hiding, re-creating or moving it.
void SetTopMost(QWidget* window, bool on);
