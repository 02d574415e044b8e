// OpenCV's way to the same boxes, as one process on one thread: read the file, mask the
// background (white, or alpha 0 with --transparent), label 8-connected components with their
// statistics, and print each box as find-icons does.  opencv_labels FILE [--transparent]
#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    cv::setNumThreads(1);
    const cv::Mat picture = cv::imread(argv[1], cv::IMREAD_UNCHANGED);
    if (picture.empty())
        return 1;
    cv::Mat foreground;
    if (argc > 2 && std::strcmp(argv[2], "--transparent") == 0) {
        cv::extractChannel(picture, foreground, 3);
        cv::threshold(foreground, foreground, 0, 255, cv::THRESH_BINARY);
    } else {
        cv::Mat background;
        const cv::Scalar white = picture.channels() == 4 ? cv::Scalar(255, 255, 255, 0) : cv::Scalar(255, 255, 255);
        const cv::Scalar upper = picture.channels() == 4 ? cv::Scalar(255, 255, 255, 255) : cv::Scalar(255, 255, 255);
        cv::inRange(picture, white, upper, background);
        cv::bitwise_not(background, foreground);
    }
    cv::Mat labels, stats, centroids;
    const int count = cv::connectedComponentsWithStats(foreground, labels, stats, centroids, 8, CV_32S);
    std::string out;
    for (int i = 1; i < count; ++i) {
        const int x = stats.at<int>(i, cv::CC_STAT_LEFT), y = stats.at<int>(i, cv::CC_STAT_TOP);
        out += std::to_string(x) + " , " + std::to_string(y) + " , " + std::to_string(x + stats.at<int>(i, cv::CC_STAT_WIDTH) - 1) +
               " , " + std::to_string(y + stats.at<int>(i, cv::CC_STAT_HEIGHT) - 1) + " \n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
