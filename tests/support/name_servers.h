#pragma once
// Name servers a test controls, for the server watch to look the server's names up with.

#include "spots/server_watch.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace zenthra::test {

// Name servers as a test has them: a name under "known." is at 127.0.0.1, one under "hangs." is
// never answered for until the test ends, any other has no address. Each look-up notes the thread
// it ran on. What the look-ups share outlives the test: they may end after it.
class NameServers
{
public:
    ~NameServers() { release(); }
    zenthra::ServerWatch::Resolver resolver()
    {
        return [s = m_state](const std::string& name) -> std::vector<std::string> {
            std::unique_lock lock(s->mutex);
            s->threads.push_back(std::this_thread::get_id());
            if (name.rfind("hangs.", 0) == 0) {
                s->released.wait(lock, [&s] { return s->open; });
                return {};
            }
            if (name.rfind("known.", 0) == 0) {
                return {"127.0.0.1"};
            }
            return {};
        };
    }
    void release()
    {
        {
            const std::lock_guard lock(m_state->mutex);
            m_state->open = true;
        }
        m_state->released.notify_all();
    }
    // True when no look-up ran on `thread`.
    bool noneOn(std::thread::id thread) const
    {
        const std::lock_guard lock(m_state->mutex);
        return std::find(m_state->threads.begin(), m_state->threads.end(), thread) == m_state->threads.end();
    }
    int lookUps() const
    {
        const std::lock_guard lock(m_state->mutex);
        return int(m_state->threads.size());
    }

private:
    struct State
    {
        std::mutex mutex;
        std::condition_variable released;
        bool open = false;
        std::vector<std::thread::id> threads;
    };
    std::shared_ptr<State> m_state = std::make_shared<State>();
};

} // namespace zenthra::test
