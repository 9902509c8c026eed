// The texts the client shows the player (UTF-8).
#pragma once

namespace velm {

inline constexpr const char* kPromptTitle = "提示";
inline constexpr const char* kNoNetworkText = "未能连接到服务器，请检查网络连接是否正常！";
inline constexpr const char* kNewVersionText = "发现有新版本，是否现在更新！";
inline constexpr const char* kUpToDateText = "当前版本已是最新，无需更新！";
// Shown by the menu's update command when the manifest could not be fetched.
inline constexpr const char* kNoManifestText = "暂时无法获取更新信息，请稍后再试！";
// ... when it was fetched but is unsigned, malformed or not signed by the maintainers.
inline constexpr const char* kUnverifiedText = "更新信息校验失败，已忽略。";
// When the player accepted an update but the updater could not be written or started.
inline constexpr const char* kUpdaterFailedText = "无法启动更新程序，请稍后再试！";
inline constexpr const char* kProductName = "OrvikVelmora";
inline constexpr const char* kClientSuffix = "客户端";

} // namespace velm
