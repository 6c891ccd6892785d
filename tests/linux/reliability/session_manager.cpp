// A minimal X session manager (XSMP over ICE, with libSM) for the log-off test: it prints the
// SESSION_MANAGER address, accepts clients, and when a line "logout" arrives on its standard
// input it asks every registered client to save itself for a shutdown, then to die, the way a
// desktop's log-off does. What happens is printed one event a line: "registered", "save-yourself",
// "save-done", "die", "closed".
#include <X11/ICE/ICElib.h>
#include <X11/SM/SMlib.h>
#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<SmsConn> registered;

void Say(const char* what) {
  std::printf("%s\n", what);
  std::fflush(stdout);
}

Status RegisterClient(SmsConn conn, SmPointer, char* previousId) {
  char* id = previousId ? previousId : SmsGenerateClientID(conn);
  SmsRegisterClientReply(conn, id);
  registered.push_back(conn);
  Say("registered");
  return 1;
}

void InteractRequest(SmsConn conn, SmPointer, int) {
  SmsInteract(conn);
}
void InteractDone(SmsConn, SmPointer, Bool) {}
void SaveYourselfRequest(SmsConn, SmPointer, int, Bool, int, Bool, Bool) {}
void SaveYourselfPhase2Request(SmsConn conn, SmPointer) {
  SmsSaveYourselfPhase2(conn);
}

void SaveYourselfDone(SmsConn conn, SmPointer, Bool) {
  Say("save-done");
  SmsDie(conn);
  Say("die");
}

void CloseConnection(SmsConn conn, SmPointer, int count, char** reasons) {
  SmFreeReasons(count, reasons);
  for (auto it = registered.begin(); it != registered.end(); ++it) {
    if (*it == conn) {
      registered.erase(it);
      break;
    }
  }
  // The ICE connection is closed by the loop once its messages report the end.
  SmsCleanUp(conn);
  Say("closed");
}

void SetProperties(SmsConn, SmPointer, int count, SmProp** props) {
  for (int i = 0; i < count; ++i) SmFreeProperty(props[i]);
  std::free(props);
}
void DeleteProperties(SmsConn, SmPointer, int count, char** names) {
  for (int i = 0; i < count; ++i) std::free(names[i]);
  std::free(names);
}
void GetProperties(SmsConn conn, SmPointer) {
  SmsReturnProperties(conn, 0, nullptr);
}

Status NewClient(SmsConn, SmPointer, unsigned long* mask, SmsCallbacks* callbacks, char**) {
  std::memset(callbacks, 0, sizeof *callbacks);
  callbacks->register_client.callback = RegisterClient;
  callbacks->interact_request.callback = InteractRequest;
  callbacks->interact_done.callback = InteractDone;
  callbacks->save_yourself_request.callback = SaveYourselfRequest;
  callbacks->save_yourself_phase2_request.callback = SaveYourselfPhase2Request;
  callbacks->save_yourself_done.callback = SaveYourselfDone;
  callbacks->close_connection.callback = CloseConnection;
  callbacks->set_properties.callback = SetProperties;
  callbacks->delete_properties.callback = DeleteProperties;
  callbacks->get_properties.callback = GetProperties;
  *mask = SmsRegisterClientProcMask | SmsInteractRequestProcMask | SmsInteractDoneProcMask |
          SmsSaveYourselfRequestProcMask | SmsSaveYourselfP2RequestProcMask |
          SmsSaveYourselfDoneProcMask | SmsCloseConnectionProcMask | SmsSetPropertiesProcMask |
          SmsDeletePropertiesProcMask | SmsGetPropertiesProcMask;
  return 1;
}

// A client that goes away is reported by the loop; the default handler would end the process.
void IgnoreIoError(IceConn) {}

// Local clients of this test only: no ICE authentication.
Bool AnyHost(char*) {
  return True;
}

}  // namespace

int main() {
  IceSetIOErrorHandler(IgnoreIoError);
  char error[256] = "";
  if (!SmsInitialize("vistrel-test", "1", NewClient, nullptr, AnyHost, sizeof error, error)) {
    std::fprintf(stderr, "SmsInitialize: %s\n", error);
    return 1;
  }
  int count = 0;
  IceListenObj* listeners = nullptr;
  if (!IceListenForConnections(&count, &listeners, sizeof error, error)) {
    std::fprintf(stderr, "IceListenForConnections: %s\n", error);
    return 1;
  }
  for (int i = 0; i < count; ++i) IceSetHostBasedAuthProc(listeners[i], AnyHost);
  char* address = IceComposeNetworkIdList(count, listeners);
  std::printf("SESSION_MANAGER=%s\n", address);
  std::fflush(stdout);

  std::vector<IceConn> connections;
  std::string input;
  for (;;) {
    std::vector<pollfd> fds{{STDIN_FILENO, POLLIN, 0}};
    for (int i = 0; i < count; ++i)
      fds.push_back({IceGetListenConnectionNumber(listeners[i]), POLLIN, 0});
    for (IceConn c : connections) fds.push_back({IceConnectionNumber(c), POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) continue;
    if (fds[0].revents) {
      char buffer[256];
      const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
      if (n <= 0) return 0;
      input.append(buffer, static_cast<std::size_t>(n));
      if (input.find("logout\n") != std::string::npos) {
        input.clear();
        for (SmsConn conn : registered) {
          SmsSaveYourself(conn, SmSaveBoth, True, SmInteractStyleAny, False);
          Say("save-yourself");
        }
      }
    }
    for (int i = 0; i < count; ++i) {
      if (!fds[1 + i].revents) continue;
      IceAcceptStatus status;
      IceConn conn = IceAcceptConnection(listeners[i], &status);
      if (!conn) continue;
      IceConnectStatus state;
      while ((state = IceConnectionStatus(conn)) == IceConnectPending) {
        if (IceProcessMessages(conn, nullptr, nullptr) == IceProcessMessagesIOError) break;
      }
      if (state == IceConnectAccepted)
        connections.push_back(conn);
      else
        IceCloseConnection(conn);
    }
    std::vector<IceConn> alive;
    for (std::size_t i = 0; i < connections.size(); ++i) {
      IceConn conn = connections[i];
      if (fds[1 + count + i].revents &&
          IceProcessMessages(conn, nullptr, nullptr) != IceProcessMessagesSuccess) {
        IceSetShutdownNegotiation(conn, False);
        IceCloseConnection(conn);
        Say("lost");
        continue;
      }
      alive.push_back(conn);
    }
    connections = alive;
  }
}
