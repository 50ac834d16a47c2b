// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/Controls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <cstdio>
#include <cstdlib>

#include "shell/Widgets.h"

namespace tarvix::shell {

namespace {

QWidget* makeScrollBar(const ControlSpec& spec, QWidget* parent) {
    auto* bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setRange(spec.minimum, spec.maximum);
    bar->setValue(spec.position);
    bar->setSingleStep(spec.smallStep);
    if (spec.largeStep > 0) {
        bar->setPageStep(spec.largeStep);
    }
    return bar;
}

QWidget* makeUpDown(const ControlSpec& spec, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setRange(spec.minimum, spec.maximum);
    spin->setValue(spec.position);
    return spin;
}

QWidget* makePanel(const ControlSpec& spec, QWidget* parent) {
    auto* panel = new ClickablePanel(parent);
    panel->setAttribute(Qt::WA_StyledBackground, true);
    panel->setObjectName(QString::fromUtf8(spec.name));
    panel->setStyleSheet(
        QStringLiteral("#%1 { border: 1px solid #808080; }").arg(panel->objectName()));
    return panel;
}

}  // namespace

Controls::Controls(QWidget* root) : root_(root) {}

// Captions come from the translation catalogue when one is installed; without one they are the
// design's texts. An edit's text is data and never translated.
QWidget* Controls::make(const ControlSpec& spec, QWidget* parent) {
    const QString text = spec.kind == ControlKind::Edit
                             ? QString::fromUtf8(spec.text)
                             : QCoreApplication::translate(kCaptionContext, spec.text);
    switch (spec.kind) {
        case ControlKind::Panel:
            return makePanel(spec, parent);
        case ControlKind::GroupBox:
            return new QGroupBox(text, parent);
        case ControlKind::Button:
            return new QPushButton(text, parent);
        case ControlKind::Edit:
            return new QLineEdit(text, parent);
        case ControlKind::Label:
            return new ClickableLabel(text, parent);
        case ControlKind::CheckBox:
            return new QCheckBox(text, parent);
        case ControlKind::RadioButton:
            return new QRadioButton(text, parent);
        case ControlKind::ScrollBar:
            return makeScrollBar(spec, parent);
        case ControlKind::ListBox:
            return new QListWidget(parent);
        case ControlKind::PaintBox:
            return new ImageBox(parent);
        case ControlKind::UpDown:
            return makeUpDown(spec, parent);
    }
    return nullptr;
}

void Controls::create(std::span<const ControlSpec> table) {
    for (const ControlSpec& spec : table) {
        const QString parentName = QString::fromUtf8(spec.parent);
        QWidget* parent = parentName.isEmpty() ? root_ : widget(parentName);
        QWidget* control = make(spec, parent);
        control->setObjectName(QString::fromUtf8(spec.name));
        control->setGeometry(spec.left, spec.top, spec.width, spec.height);
        if (*spec.style) {
            control->setStyleSheet(QString::fromUtf8(spec.style));
        }
        if (auto* button = qobject_cast<QAbstractButton*>(control);
            button && (spec.flags & kChecked)) {
            button->setChecked(true);
        }
        if (auto* label = qobject_cast<QLabel*>(control); label && (spec.flags & kWrap)) {
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
        control->setEnabled(!(spec.flags & kDisabled));
        control->setVisible(!(spec.flags & kHidden));
        widgets_.insert(control->objectName(), control);
        kinds_.insert(control->objectName(), spec.kind);
    }
}

// Beyond the design's controls, the named parts of the window's own dialogs.
QWidget* Controls::find(const QString& name) const {
    if (QWidget* control = widgets_.value(name, nullptr)) {
        return control;
    }
    return name.isEmpty() ? nullptr : root_->window()->findChild<QWidget*>(name);
}

QWidget* Controls::widget(const QString& name) const {
    QWidget* control = find(name);
    if (!control) {
        std::fprintf(stderr, "tarvix: no control named %s\n", qPrintable(name));
        std::abort();
    }
    return control;
}

QLineEdit* Controls::edit(const QString& name) const {
    return qobject_cast<QLineEdit*>(widget(name));
}
QPushButton* Controls::button(const QString& name) const {
    return qobject_cast<QPushButton*>(widget(name));
}
QCheckBox* Controls::checkBox(const QString& name) const {
    return qobject_cast<QCheckBox*>(widget(name));
}
QRadioButton* Controls::radio(const QString& name) const {
    return qobject_cast<QRadioButton*>(widget(name));
}
QAbstractButton* Controls::anyButton(const QString& name) const {
    return qobject_cast<QAbstractButton*>(widget(name));
}
QScrollBar* Controls::scrollBar(const QString& name) const {
    return qobject_cast<QScrollBar*>(widget(name));
}
ClickableLabel* Controls::label(const QString& name) const {
    return qobject_cast<ClickableLabel*>(widget(name));
}
QListWidget* Controls::listBox(const QString& name) const {
    return qobject_cast<QListWidget*>(widget(name));
}
ImageBox* Controls::paintBox(const QString& name) const {
    return qobject_cast<ImageBox*>(widget(name));
}
QSpinBox* Controls::upDown(const QString& name) const {
    return qobject_cast<QSpinBox*>(widget(name));
}

bool Controls::checked(const QString& name) const {
    const auto* button = anyButton(name);
    return button && button->isChecked();
}

QString Controls::text(const QString& name) const {
    QWidget* control = widget(name);
    if (auto* lineEdit = qobject_cast<QLineEdit*>(control)) {
        return lineEdit->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return button->text();
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return label->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(control)) {
        return group->title();
    }
    if (auto* bar = qobject_cast<QScrollBar*>(control)) {
        return QString::number(bar->value());
    }
    if (auto* spin = qobject_cast<QSpinBox*>(control)) {
        return QString::number(spin->value());
    }
    return QString();
}

void Controls::setText(const QString& name, const QString& text) const {
    QWidget* control = widget(name);
    if (auto* lineEdit = qobject_cast<QLineEdit*>(control)) {
        lineEdit->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(text);
    }
}

void Controls::setVisible(const QString& name, bool visible) const {
    widget(name)->setVisible(visible);
}
void Controls::setEnabled(const QString& name, bool enabled) const {
    widget(name)->setEnabled(enabled);
}
void Controls::moveTo(const QString& name, int left, int top) const {
    widget(name)->move(left, top);
}

ControlKind Controls::kindOf(const QString& name) const {
    return kinds_.value(name, ControlKind::Panel);
}

}  // namespace tarvix::shell
