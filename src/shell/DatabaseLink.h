#pragma once

#include <QString>
#include <memory>
#include <optional>

#include "mirror/ServerAddress.h"

namespace tarvix::mirror {
class ServerMirror;
}

namespace tarvix::shell {

class StatusLine;

// Says on the status line which database keeps the measurements and, with a lab's server,
// runs the mirror that copies the bench's database there and shows whether it is in step.
class DatabaseLink {
  public:
    // `file`: the bench's open database (empty: none could be opened). Read alone
    // (`readOnly`, another program measures into it), nothing goes to the server from here.
    DatabaseLink(StatusLine& line, const QString& file,
                 const std::optional<mirror::ServerAddress>& server, bool readOnly = false);
    ~DatabaseLink();
    DatabaseLink(const DatabaseLink&) = delete;
    DatabaseLink& operator=(const DatabaseLink&) = delete;

  private:
    std::unique_ptr<mirror::ServerMirror> mirror_;
};

}  // namespace tarvix::shell
