#include "widgets/text.h"

namespace widgets {

QString fromBytes(const std::string& bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string toBytes(const QString& text)
{
    const QByteArray b = text.toLocal8Bit();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

}  // namespace widgets
