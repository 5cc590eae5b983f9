#pragma once

#include <QApplication>
#include <QTemporaryDir>

// The application of a benchmark that drives the window: offscreen unless another platform is
// chosen, with its settings in a folder of its own, away from the user's.
class OffscreenApplication
{
public:
    OffscreenApplication(int& argc, char** argv);

private:
    static int& offscreenFirst(int& argc);

    QApplication m_application;
    QTemporaryDir m_settings;
};
