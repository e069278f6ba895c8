#pragma once
// Window placement records of real windows: the record "Pos" + the window's
// object name in the settings file, through the profile functions (the
// routines every tool window uses) or through an open settings engine.
#include "foundation/core/placement.h"

class QWidget;
class TIniFile;
class TZelIniFile;

// A top-level widget as the placement routines see it: its frame position,
// its size and state, and the primary screen.
class WidgetPlacement : public PlacementTarget {
public:
    explicit WidgetPlacement(QWidget* widget) : w_(widget) {}
    QString Name() const override;
    int Left() const override;
    int Top() const override;
    int Width() const override;
    int Height() const override;
    TWindowState WindowState() const override;
    void SetLeft(int left) override;
    void SetTop(int top) override;
    void SetWidth(int width) override;
    void SetHeight(int height) override;
    void SetWindowState(TWindowState state) override;
    void SetPosition(TPosition mode) override;
    QSize ScreenSize() const override;

private:
    QWidget* w_;
};

void SaveFormPos(QWidget* form);
void SaveFormPosTo(QWidget* form, const QString& fileName);
bool LoadFormPos(QWidget* form, TPosition defaultPosition);
bool LoadFormPosFrom(QWidget* form, const QString& fileName, TPosition defaultPosition);
// Position and state only, for windows of fixed size.
bool LoadFormPlace(QWidget* form);
void WriteFormPos(QWidget* form, TIniFile& ini);
bool ReadFormPos(QWidget* form, TIniFile& ini, TPosition defaultPosition);
void KeepFormOnScreen(QWidget* form);

// The same record through an open settings engine.
void WriteFormPos(QWidget* form, TZelIniFile& ini);
bool ReadFormPos(QWidget* form, TZelIniFile& ini, TPosition defaultPosition);
