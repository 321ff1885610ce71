#include "app/market_app.h"

int main(int argc, char** argv) {
    return RunKoravel(argc, argv);
}
