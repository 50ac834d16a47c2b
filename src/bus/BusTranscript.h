// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>
#include <memory>

#include "bus/GpibBackend.h"

namespace tarvix::bus {

// One line per transport call, for a person debugging a bench and for tests:
//   board-present 1 / initialize / timeout 1000 / listen 24 1 / send 24 0 *IDN? /
//   enter 24 100 0 KEITHLEY INSTRUMENTS INC.,MODEL 2400,...
class BusTranscript {
  public:
    BusTranscript() = default;
    // Also writes every line to `path`; false when the file cannot be created.
    bool openFile(const QString& path);

    void add(const QString& line);
    const QStringList& lines() const { return lines_; }
    void clear() { lines_.clear(); }
    void setKeepInMemory(bool keep) { keepInMemory_ = keep; }

  private:
    QStringList lines_;
    std::unique_ptr<QFile> file_;
    bool keepInMemory_ = true;
};

// A backend that writes the transcript of every call it passes on to the backend it wraps.
class TranscriptBackend : public GpibBackend {
  public:
    TranscriptBackend(std::unique_ptr<GpibBackend> inner, BusTranscript& transcript);

    int boardPresent() override;
    int initialize(int first, int second) override;
    int setTimeout(std::uint32_t timeout) override;
    int listenerPresent(int address) override;
    void send(int address, const char* command, int length, int* status) override;
    void enter(char* buffer, std::uint32_t maxLength, std::uint16_t* count, int address,
               int* status) override;

  private:
    std::unique_ptr<GpibBackend> inner_;
    BusTranscript& transcript_;
};

}  // namespace tarvix::bus
