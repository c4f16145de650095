#pragma once
// What the service decides, kept apart from Windows: who may switch through it, and which
// way a process's switches take once it is installed. The token's groups come in as text
// (SIDs in their S-1-... form); ServiceWin reads them from the impersonated client.

#include <string>
#include <vector>

inline constexpr char ServiceName[] = "Netvane";
inline constexpr char ServiceDisplayName[] = "Netvane network switching";
inline constexpr char ServiceSwitch[] = "/service";
inline constexpr char ServicePipeName[] = "\\\\.\\pipe\\Netvane.Service";
// Under the service's own key, HKLM\SYSTEM\CurrentControlSet\Services\Netvane.
inline constexpr char ServiceParametersKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\Netvane\\Parameters";
inline constexpr char AllowedGroupValue[] = "AllowedGroup";
// The service's own log, in %ProgramData%\Netvane.
inline constexpr char ServiceLogName[] = "service.log";

extern const char* const NetworkOperatorsSid; // S-1-5-32-556
// What a client that may not switch is told; nothing was written.
extern const char* const NotAllowedMessage;

// One group of a token.
struct TTokenGroup {
    std::string Sid;
    bool Enabled = false;
    bool DenyOnly = false; // a filtered token's administrators: still a member
};

// Whether the token's owner may switch: a member of Administrators, of Network
// Configuration Operators or of the group an administrator named (its SID; empty: none).
// A group proves membership when it is enabled or kept for deny only.
bool MaySwitchNetwork(const std::vector<TTokenGroup>& groups, const std::string& namedGroupSid);

enum class TServiceState { NotInstalled, Stopped, Running };
enum class TRouteKind { Directly, Helper, Service };

struct TRouteChoice {
    TRouteKind Kind = TRouteKind::Directly;
    bool SayStopped = false; // the service is installed but not running: the user is told
};

// A running service takes every switch, from an elevated process too, so that one path is
// the one used; otherwise an elevated process writes itself unless helperAlways, and any
// other asks the helper.
TRouteChoice ChooseRoute(TServiceState service, bool elevated, bool helperAlways);

// What is said, once, when the service is installed but not running.
extern const char* const ServiceStoppedMessage;
