#include "Error.h"

namespace orvane {

Error::Error(QString description, QString source)
    : m_description(std::move(description)),
      m_source(std::move(source)),
      m_what((m_source + QStringLiteral(": ") + m_description).toUtf8())
{
}

} // namespace orvane
