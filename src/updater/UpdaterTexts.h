// The texts the updater shows the player (UTF-8).
#pragma once

namespace velm {

inline constexpr const char* kUpdaterTitle = "更新程序";
inline constexpr const char* kUpdaterCaption = "OrvikVelmora客户端更新";
inline constexpr const char* kCancelButton = "取消";

// Progress.
inline constexpr const char* kStatusChecking = "正在校验更新信息…";
inline constexpr const char* kStatusWaiting = "正在等待客户端退出…";
inline constexpr const char* kStatusDownloading = "正在下载新版本…";
inline constexpr const char* kStatusVerifying = "正在校验新版本…";
inline constexpr const char* kStatusInstalling = "正在安装新版本…";
inline constexpr const char* kStatusStarting = "正在启动新版本…";

// Questions.
inline constexpr const char* kAskStillRunning = "客户端程序仍在运行，暂时无法替换。\r\n请关闭所有客"
                                                "户端窗口后点击“重试”，或点击“取消”放弃此次更新。";

// Outcomes. Every failure says what happened and that the client was left as it was.
inline constexpr const char* kUnchanged = "\r\n原来的客户端没有任何改动。";
inline constexpr const char* kBadParameters =
    "更新程序的启动参数无效，请从客户端中启动更新。\r\n没有做任何改动。";
inline constexpr const char* kAlreadyRunning =
    "另一个更新程序正在运行，请等待它完成。\r\n此次没有做任何改动。";
inline constexpr const char* kNoManifest = "未找到更新信息（update.txt），无法更新。";
inline constexpr const char* kBadManifest = "更新信息的格式无效，已拒绝此次更新。";
inline constexpr const char* kBadSignature = "更新信息的数字签名无效，已拒绝此次更新。";
inline constexpr const char* kNotNewer = "更新信息中的版本不比现有的客户端新，已拒绝此次更新。";
inline constexpr const char* kStillRunning = "客户端程序仍在运行，无法替换，已放弃此次更新。";
inline constexpr const char* kCancelled = "已取消此次更新。";
inline constexpr const char* kDownloadFailed =
    "下载新版本失败（网络连接中断或服务器出错），已放弃此次更新。";
inline constexpr const char* kDigestMismatch =
    "下载的新版本与更新信息不符（文件大小或校验值不同），已拒绝此次更新。";
inline constexpr const char* kWrongMachine =
    "下载的新版本不是为本机客户端的处理器类型（32 位或 64 位）构建的，已拒绝此次更新。";
inline constexpr const char* kVersionMismatch =
    "下载的新版本的版本号与更新信息不符，已拒绝此次更新。";
inline constexpr const char* kNotReplaced = "无法替换客户端程序，已放弃此次更新。";
inline constexpr const char* kStartFailed = "新版本无法启动，已恢复原来的客户端。";
inline constexpr const char* kExitedEarly =
    "新版本启动后未能正常运行就退出了，已恢复原来的客户端。";
inline constexpr const char* kLost =
    "无法恢复原来的客户端程序，请重新安装客户端。\r\n原来的程序已保存为：";

} // namespace velm
