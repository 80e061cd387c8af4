#include "platform/BackgroundRelease.h"

#include "platform/SerialQueue.h"

#include <malloc.h>

namespace pairsift {

BackgroundRelease::BackgroundRelease(QString label)
    : m_label(std::move(label))
{
}

BackgroundRelease::~BackgroundRelease() = default;

void BackgroundRelease::release(std::shared_ptr<void> object)
{
    if (!object)
        return;
    if (!m_queue)
        m_queue = std::make_unique<SerialQueue>(m_label);
    m_queue->async([object = std::move(object)]() mutable {
        object.reset();
        ::malloc_trim(0);
    });
}

} // namespace pairsift
