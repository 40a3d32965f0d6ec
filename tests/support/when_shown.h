#pragma once

#include <QWidget>

#include <functional>

// Runs `act` once the dialog is on screen (opening may first read from the device).
void when_shown(QWidget *dialog, std::function<void()> act);
