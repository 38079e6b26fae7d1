#pragma once

// The two things start-up and shut-down need of the window system beyond the keypad window itself.

// Keeps the keypad window above all ordinary windows, or lets it go back among them.
class TopmostBand
{
public:
    virtual ~TopmostBand() = default;
    virtual void SetKeypadTopMost(bool on) = 0;
};

// The secondary windows that outlive no keypad: closing the keypad closes the About window.
class SecondaryWindows
{
public:
    virtual ~SecondaryWindows() = default;
    virtual void CloseAboutIfOpen() = 0;
};
