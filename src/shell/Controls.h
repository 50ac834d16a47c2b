// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <span>

#include "shell/ControlSpec.h"

class QAbstractButton;
class QCheckBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QSpinBox;

namespace tarvix::shell {

class ClickableLabel;
class ImageBox;

// The translation context of the window's captions, messages and dialog titles.
inline constexpr char kCaptionContext[] = "TForm1";

// Creates the controls of the design tables under one root widget and finds them by their
// design names.
class Controls {
  public:
    explicit Controls(QWidget* root);

    void create(std::span<const ControlSpec> table);

    QWidget* find(const QString& name) const;
    QWidget* widget(const QString& name) const;  // aborts on an unknown name: a table fault
    QLineEdit* edit(const QString& name) const;
    QPushButton* button(const QString& name) const;
    QCheckBox* checkBox(const QString& name) const;
    QRadioButton* radio(const QString& name) const;
    QAbstractButton* anyButton(const QString& name) const;
    QScrollBar* scrollBar(const QString& name) const;
    ClickableLabel* label(const QString& name) const;
    QListWidget* listBox(const QString& name) const;
    ImageBox* paintBox(const QString& name) const;
    QSpinBox* upDown(const QString& name) const;

    bool checked(const QString& name) const;
    QString text(const QString& name) const;  // caption or text as `print` shows it
    void setText(const QString& name, const QString& text) const;
    void setVisible(const QString& name, bool visible) const;
    void setEnabled(const QString& name, bool enabled) const;
    void moveTo(const QString& name, int left, int top) const;

    ControlKind kindOf(const QString& name) const;
    const QHash<QString, ControlKind>& kinds() const { return kinds_; }

  private:
    QWidget* make(const ControlSpec& spec, QWidget* parent);

    QWidget* root_;
    QHash<QString, QWidget*> widgets_;
    QHash<QString, ControlKind> kinds_;
};

}  // namespace tarvix::shell
