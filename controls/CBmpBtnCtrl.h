#pragma once
#include <windows.h>

#include <string>

#include "controls/ButtonPicture.h"
#include "controls/SkinBitmap.h"
#include "framework/Control.h"

// A dialog button painted entirely from up to six state pictures, with a
// white caption, hover tracking and a check state of its own.
class CBmpBtnCtrl : public fw::Control {
public:
    CBmpBtnCtrl() = default;

    // Normal, pressed, hover, checked, disabled, disabled-checked; 0 means
    // no picture for that state. Records the button type, makes the window
    // owner-drawn; TRUE when every requested picture was loaded.
    BOOL LoadBitmaps(UINT normal, UINT pressed, UINT hover, UINT checked, UINT disabled,
                     UINT disabledChecked);
    virtual void FitToBitmap(int x, int y);
    virtual int GetCheckState() const { return checkState_; }
    virtual void SetCheckState(int state);
    virtual int GetButtonType() const { return buttonType_; }

    // The key colour (0 to 0xFFFFFF; anything else is none) and keep
    // rectangle that shape a push button in FitToBitmap. LoadBitmaps clears
    // them, so set them afterwards.
    void SetKeyColor(LONG key, RECT keep) { keyColor_ = key; keepRect_ = keep; }
    void SetButtonCursor(HCURSOR cursor) { buttonCursor_ = cursor; }
    // Where LoadBitmaps takes its pictures from (the program's resources
    // at the display's scale unless a test says otherwise).
    void SetBitmapLoader(SkinBitmap::Loader loader) { loader_ = loader; }
    // The display's dpi: pictures loaded after it are drawn for it, and the
    // focus rectangle, the caption's offsets and the box's gap scale with it.
    void SetDpi(int dpi) { dpi_ = dpi; }
    // What a screen reader calls a button without a caption.
    void SetAccessibleName(const std::wstring& name) { accessibleName_ = name; }
    // In High Contrast the button is drawn in the theme's colours, without
    // its pictures; a close button then shows its cross.
    void SetHighContrast(bool on) { highContrast_ = on; }
    void SetCloseCross(bool on) { closeCross_ = on; }

    // A screen reader hears its kind, state and caption, and can click it.
    bool Describe(fw::AccessibleFacts& facts) const override;
    void DoDefaultAction() override;

    // The owner drawing of one face: builds it off screen, copies it to dc.
    void Paint(HDC dc, UINT itemState);
    bool IsHovering() const { return hovering_; }
    SkinBitmap& Picture(ButtonPicture which) { return pictures_[which]; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool OnReflectedDrawItem(const DRAWITEMSTRUCT& item) override;
    void OnReflectedCommand(WORD notifyCode) override;

private:
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseHover();
    LRESULT OnMouseLeave();

    void DrawPushButton(HDC dc, RECT face, UINT itemState);
    void DrawCheckBox(HDC dc, RECT face, UINT itemState, bool radio);
    const SkinBitmap& PictureFor(UINT itemState) const;
    BOOL LoadPicture(ButtonPicture slot, UINT id);
    int Scaled(int pixels) const;
    HFONT CaptionFont() const;
    std::wstring Caption() const;
    bool HasStyle(LONG bits) const;

    SkinBitmap pictures_[kPictureCount];
    SkinBitmap::Loader loader_ = nullptr;
    int dpi_ = 96;
    LONG keyColor_ = -1;
    RECT keepRect_ = {0, 0, 0, 0};
    bool hovering_ = false;
    bool tracking_ = false;
    int checkState_ = 0;
    HCURSOR savedCursor_ = nullptr;
    HCURSOR buttonCursor_ = nullptr;
    int buttonType_ = -1;
    std::wstring accessibleName_;
    bool highContrast_ = false;
    bool closeCross_ = false;
};
