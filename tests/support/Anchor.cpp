int kqTestSupportAnchor = 0;
