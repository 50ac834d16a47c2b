// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

class QAbstractButton;

namespace tarvix::shell {

class TForm1;

// A press on a disabled button says in the status line why it does nothing, instead of being
// swallowed without a word.
class ButtonRefusals : public QObject {
    Q_OBJECT
  public:
    explicit ButtonRefusals(TForm1& form);

    // Watches every button of the window's controls.
    void watchButtons();
    // Puts the reason why `button` cannot act now into the status line.
    void explain(const QAbstractButton& button);
    // The reason why the named button cannot act now.
    QString reason(const QString& name, const QString& caption) const;
    // Why `procedure` (a button's caption) does not start while the database is read alone.
    static QString readOnlyReason(const QString& procedure);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    TForm1& form_;
};

}  // namespace tarvix::shell
