// The About box: the program's icon, its name and version, and an OK button.
#pragma once

#include <QDialog>

#include "shell/TorvaneGateManagerDlg.h"

class AboutBox : public QDialog {
  Q_OBJECT

 public:
  AboutBox(const CAboutBoxTexts& texts, QWidget* parent);
};
