// Watches for the Info box while the panel runs: counts each opening and closes it with OK.
#pragma once

#include <QTimer>

namespace test {

class InfoBoxCloser {
  public:
    InfoBoxCloser();
    ~InfoBoxCloser();
    InfoBoxCloser(const InfoBoxCloser&) = delete;
    InfoBoxCloser& operator=(const InfoBoxCloser&) = delete;

    int openings() const { return openings_; }

  private:
    int openings_ = 0;
    QTimer poll_;
};

}  // namespace test
