int MossgateStandIn(void) { return 0; }
