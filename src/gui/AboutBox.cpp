#include "gui/AboutBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/ProgramIcon.h"
#include "gui/QtText.h"

AboutBox::AboutBox(const CAboutBoxTexts& texts, QWidget* parent) : QDialog(parent) {
  setWindowTitle(FromLegacy(texts.caption));
  setWindowIcon(ProgramIcon());
  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIcon().pixmap(32, 32));
  auto* text = new QLabel(FromLegacy(texts.text), this);
  text->setObjectName(QStringLiteral("aboutText"));
  auto* ok = new QPushButton(FromLegacy(texts.okText), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text, 1);
  row->addWidget(ok, 0, Qt::AlignTop);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
}
