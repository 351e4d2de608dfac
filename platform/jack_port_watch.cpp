#include "platform/jack_port_watch.h"

namespace rz {

std::unique_ptr<JackPortWatch> JackPortWatch::start(std::function<void()> changed)
{
    std::shared_ptr<JackMidiClient> client = JackMidiClient::acquire();
    if (!client)
        return nullptr;
    std::unique_ptr<JackPortWatch> watch(new JackPortWatch(std::move(client), std::move(changed)));
    if (!watch->m_client->addListener(watch.get()))
        return nullptr;
    return watch;
}

JackPortWatch::JackPortWatch(std::shared_ptr<JackMidiClient> client, std::function<void()> changed)
    : m_client(std::move(client)), m_changed(std::move(changed))
{
}

JackPortWatch::~JackPortWatch()
{
    m_client->removeListener(this);
}

void JackPortWatch::portsChanged()
{
    if (!m_told.exchange(true, std::memory_order_acq_rel))
        m_changed();
}

} // namespace rz
