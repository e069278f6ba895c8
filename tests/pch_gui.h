// Headers nearly every widget test program reads, compiled once for all of them.
#pragma once
#include "pch_core.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
