#pragma once

#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

// Field readers for upstream JSON: a field that is missing, null, of another type or not a
// finite number reads as absent, never as 0.
namespace upstream::json {

inline std::optional<double> Number(const QJsonValue& v) {
    if (!v.isDouble())
        return std::nullopt;
    const double d = v.toDouble();
    if (!std::isfinite(d))
        return std::nullopt;
    return d;
}

inline std::optional<double> Number(const QJsonObject& o, const char* key) {
    return Number(o.value(QLatin1String(key)));
}

inline std::optional<std::int64_t> Integer(const QJsonObject& o, const char* key) {
    const auto d = Number(o, key);
    if (!d || std::fabs(*d) > 9.0e15)
        return std::nullopt;
    return static_cast<std::int64_t>(std::llround(*d));
}

inline std::string Text(const QJsonObject& o, const char* key) {
    const QJsonValue v = o.value(QLatin1String(key));
    return v.isString() ? v.toString().toStdString() : std::string();
}

// The answer as a JSON object; nothing when it is not JSON or not an object.
inline std::optional<QJsonObject> Object(std::string_view text) {
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(
        QByteArray(text.data(), static_cast<qsizetype>(text.size())), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    return doc.object();
}

} // namespace upstream::json
