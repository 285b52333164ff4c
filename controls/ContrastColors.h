#pragma once
#include <windows.h>

// High Contrast (Windows 11's contrast themes): while it is on, the skinned
// controls draw in the theme's system colours, without their pictures.
bool HighContrastOn();

// A face in the theme's colours, as system colour indices (COLOR_...): its
// ground, its caption and its frame.
struct ContrastFace {
    int ground, text, frame;
};
// A push button is lit (pointed at, pressed or focused) in the highlight
// colours; a disabled caption is grey on the button's face. A tick box and
// its caption stand on the window's own colours.
ContrastFace ContrastFaceOf(bool pushButton, bool enabled, bool lit);

// Fills `box` with one colour; frames it `thickness` pixels deep, inwards.
void FillSolid(HDC dc, const RECT& box, COLORREF color);
void FrameSolid(HDC dc, RECT box, COLORREF color, int thickness);
// The focus rectangle's dotted frame in one colour of the theme, where
// DrawFocusRect would invert the pixels into colours outside it.
void DottedFrame(HDC dc, RECT box, COLORREF color, int thickness);
// The close button's sign: a cross of two strokes `width` thick, `inset`
// from the face's top and bottom, in the middle.
void DrawCross(HDC dc, const RECT& face, COLORREF color, int inset, int width);
