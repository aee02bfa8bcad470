#include "DisplayPlatform.h"

namespace hakomaru {

std::string noWindowSystemMessage(std::string_view program, const std::vector<std::string>& missing,
                                  const DisplayEnvironment& env) {
    const std::string start = std::string(program) + ": 画面に表示できません。";
    auto set = [](const char* value) { return value && *value; };
    for (const std::string& name : missing) {
        if (name.starts_with("wayland"))
            return start + "Wayland で表示するための Qt のプラグインがありません。"
                           "パッケージ qt6-wayland をインストールしてください。";
        if (name == "xcb")
            return start + "X11 で表示するための Qt のプラグインがありません。"
                           "パッケージ libqt6gui6 をインストールし直してください。";
    }
    if (!missing.empty())
        return start + "Qt のプラグイン「" + missing.front() +
               "」がありません。環境変数 QT_QPA_PLATFORM を確かめてください。";
    if (!set(env.display) && !set(env.waylandDisplay))
        return start + "ディスプレイが見つかりません（DISPLAY も WAYLAND_DISPLAY も"
                       "設定されていません）。デスクトップのセッションの中で起動してください。";
    std::string displays;
    for (const auto& [name, value] :
         {std::pair{"WAYLAND_DISPLAY", env.waylandDisplay}, std::pair{"DISPLAY", env.display}})
        if (set(value))
            displays += (displays.empty() ? "" : "、") + std::string(name) + "=" + value;
    return start + "ディスプレイに接続できません（" + displays +
           "）。デスクトップのセッションの中で起動してください。";
}

} // namespace hakomaru
